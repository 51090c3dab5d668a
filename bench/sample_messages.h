// The messages the benchmarks run on, the same bytes in every run:
// - realisticMessage: a multipart/mixed of about the given size with a
//   multipart/related HTML body (alternative text and HTML, cid pictures)
//   and base64 attachments, as mail clients send them;
// - manyPicturesMessage: a small message whose HTML body of about 1 MB
//   refers to thousands of tiny inline pictures, the worst case for
//   rewriting content ids.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace bench {

// Deterministic bytes: the same message in every run.
class Random {
public:
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

private:
    std::uint32_t state_ = 0x9E3779B9u;
};

inline std::string base64Lines(std::size_t rawBytes, Random& random) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::size_t characters = (rawBytes + 2) / 3 * 4;
    std::string text;
    text.reserve(characters + characters / 76 * 2 + 2);
    for (std::size_t i = 0; i < characters; ++i) {
        text += alphabet[random.next() & 63];
        if (i % 76 == 75) text += "\r\n";
    }
    return text + "\r\n";
}

inline std::string quotedPrintableHtml(int paragraphs, int images) {
    std::string html = "<html><head><meta http-equiv=3D\"Content-Type\" content=3D\"text/html; charset=3Dutf-8\">"
                       "</head>\r\n<body style=3D\"font-family: Calibri\">\r\n";
    for (int i = 0; i < paragraphs; ++i) {
        html += "<p class=3DMsoNormal>Paragraph " + std::to_string(i) +
                " of the quarterly report: figures, caf=C3=A9 notes and a long line that=\r\n"
                " needs a soft break to stay under seventy-six characters.</p>\r\n";
    }
    for (int i = 0; i < images; ++i) html += "<img src=3D\"cid:image" + std::to_string(i) + "@01D9C3B4\">\r\n";
    return html + "</body></html>\r\n";
}

inline std::string realisticMessage(std::size_t targetBytes) {
    Random random;
    const int images = 4;
    const std::size_t imageBytes = targetBytes / 40;
    std::string text =
        "Received: from mail.example.com (mail.example.com [192.0.2.10])\r\n\tby mx.example.net with ESMTPS id 4F2\r\n"
        "From: \"Carol Chen\" <carol@example.com>\r\nTo: <dave@example.net>\r\nSubject: Quarterly figures\r\n"
        "Date: Tue, 8 Dec 2026 09:01:02 +0800\r\nMessage-ID: <000001d9c3b4$5e6f7a80@example.com>\r\n"
        "MIME-Version: 1.0\r\nContent-Type: multipart/mixed;\r\n\tboundary=\"----=_NextPart_000_0011\"\r\n\r\n"
        "This is a multipart message in MIME format.\r\n\r\n"
        "------=_NextPart_000_0011\r\nContent-Type: multipart/related;\r\n\ttype=\"multipart/alternative\";\r\n"
        "\tboundary=\"----=_NextPart_001_0012\"\r\n\r\n\r\n"
        "------=_NextPart_001_0012\r\nContent-Type: multipart/alternative;\r\n"
        "\tboundary=\"----=_NextPart_002_0013\"\r\n\r\n\r\n"
        "------=_NextPart_002_0013\r\nContent-Type: text/plain;\r\n\tcharset=\"utf-8\"\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    for (int i = 0; i < 200; ++i) text += "Paragraph " + std::to_string(i) + " of the quarterly report.\r\n";
    text += "\r\n------=_NextPart_002_0013\r\nContent-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
            quotedPrintableHtml(200, images) + "\r\n------=_NextPart_002_0013--\r\n\r\n";
    for (int i = 0; i < images; ++i) {
        const std::string id = "image" + std::to_string(i) + "@01D9C3B4";
        text += "------=_NextPart_001_0012\r\nContent-Type: image/png;\r\n\tname=\"image" + std::to_string(i) +
                ".png\"\r\nContent-Transfer-Encoding: base64\r\nContent-ID: <" + id + ">\r\n\r\n" +
                base64Lines(imageBytes, random) + "\r\n";
    }
    text += "------=_NextPart_001_0012--\r\n\r\n";
    int attachment = 0;
    while (text.size() < targetBytes) {
        const std::size_t left = (targetBytes - text.size()) * 3 / 4;
        const std::size_t size = std::max<std::size_t>(std::min<std::size_t>(left, 3u << 20), 1024);
        const std::string name = "report-" + std::to_string(++attachment) + ".pdf";
        text += "------=_NextPart_000_0011\r\nContent-Type: application/pdf;\r\n\tname=\"" + name +
                "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n\tfilename=\"" +
                name + "\"\r\n\r\n" + base64Lines(size, random) + "\r\n";
    }
    return text + "------=_NextPart_000_0011--\r\n";
}

// A few bytes of picture, base64.
constexpr const char* kTinyPicture = "R0lGODlhAQABAAAAACw=";

// An HTML body of about `htmlBytes` (quoted-printable) in which `pictures`
// references to as many inline pictures are spread evenly.
inline std::string manyPicturesMessage(int pictures, std::size_t htmlBytes) {
    std::string text =
        "From: \"Carol Chen\" <carol@example.com>\r\nTo: <dave@example.net>\r\nSubject: Photo wall\r\n"
        "Date: Tue, 8 Dec 2026 09:01:02 +0800\r\nMessage-ID: <000002d9c3b4$5e6f7a80@example.com>\r\n"
        "MIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n"
        "\tboundary=\"=_p\"\r\n\r\n"
        "--=_p\r\nContent-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
        "<html><head><meta http-equiv=3D\"Content-Type\" content=3D\"text/html; charset=3Dutf-8\"></head>\r\n"
        "<body>\r\n";
    const std::string paragraph =
        "<p class=3DMsoNormal>The wall of pictures from the workshop, one after the ot=\r\nher, with notes.</p>\r\n";
    const std::size_t bodyStart = text.size();
    for (int i = 0; i < pictures; ++i) {
        const std::size_t wanted = bodyStart + htmlBytes * static_cast<std::size_t>(i + 1) / static_cast<std::size_t>(pictures);
        while (text.size() + paragraph.size() < wanted) text += paragraph;
        text += "<img src=3D\"cid:pic" + std::to_string(i) + "@x\" alt=3D\"\">\r\n";
    }
    text += "</body></html>\r\n\r\n";
    for (int i = 0; i < pictures; ++i) {
        text += "--=_p\r\nContent-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\nContent-ID: <pic" +
                std::to_string(i) + "@x>\r\n\r\n" + kTinyPicture + "\r\n";
    }
    return text + "--=_p--\r\n";
}

}  // namespace bench
