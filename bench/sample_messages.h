// The messages the benchmarks run on, the same bytes in every run:
// - realisticMessage: a multipart/mixed of about the given size with a
//   multipart/related HTML body (alternative text and HTML, cid pictures)
//   and base64 attachments, as mail clients send them;
// - manyPicturesMessage: a small message whose HTML body of about 1 MB
//   refers to thousands of tiny inline pictures, the worst case for
//   rewriting content ids;
// - largeHtmlMessage: an HTML body of a given share of the message, long and
//   quoted-printable, that refers over and over to a few dozen pictures,
//   beside base64 attachments;
// - plainTextMessage: one quoted-printable ISO-8859-1 text part, the whole
//   message (answered with ConvertText on);
// - manyAttachmentsMessage: base64 attachments whose names are encoded
//   words: thousands of small ones, or a single large one.
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

// A multipart/mixed of about `targetBytes`: a multipart/related whose
// quoted-printable HTML body takes `htmlShare` of the message in short lines
// and refers `references` times in turn to `pictures` base64 pictures, which
// take `pictureShare` of the message; base64 attachments fill the rest.
inline std::string largeHtmlMessage(std::size_t targetBytes, double htmlShare, int pictures, int references,
                                    double pictureShare) {
    Random random;
    std::string text =
        "From: \"Carol Chen\" <carol@example.com>\r\nTo: <dave@example.net>\r\nSubject: Newsletter archive\r\n"
        "Date: Tue, 8 Dec 2026 09:01:02 +0800\r\nMessage-ID: <000003d9c3b4$5e6f7a80@example.com>\r\n"
        "MIME-Version: 1.0\r\nContent-Type: multipart/mixed;\r\n\tboundary=\"=_m\"\r\n\r\n"
        "--=_m\r\nContent-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n\tboundary=\"=_r\"\r\n\r\n"
        "--=_r\r\nContent-Type: text/html;\r\n\tcharset=\"utf-8\"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
        "<html><head><meta http-equiv=3D\"Content-Type\" content=3D\"text/html; charset=3Dutf-8\"></head>\r\n"
        "<body>\r\n<table class=3D\"list\">\r\n";
    const std::size_t htmlEnd = text.size() + static_cast<std::size_t>(static_cast<double>(targetBytes) * htmlShare);
    const std::size_t htmlStart = text.size();
    for (int reference = 0, row = 0; text.size() < htmlEnd; ++row) {
        const std::string number = std::to_string(row);
        text += "<tr><td class=3D\"c\">Item " + number + "</td><td>Caf=C3=A9 r=C3=A9sum=C3=A9 of entry " + number +
                ", on one line</td></tr>\r\n";
        // References spread evenly over the rows.
        const std::size_t done = text.size() - htmlStart;
        while (reference < references &&
               static_cast<double>(reference) * static_cast<double>(htmlEnd - htmlStart) <
                   static_cast<double>(done) * references) {
            text += "<tr><td><img src=3D\"cid:pic" + std::to_string(reference % pictures) +
                    ".A1B2@example.com\" width=3D\"16\"></td></tr>\r\n";
            ++reference;
        }
    }
    text += "</table></body></html>\r\n\r\n";
    const std::size_t pictureBytes =
        static_cast<std::size_t>(static_cast<double>(targetBytes) * pictureShare / pictures * 3 / 4);
    for (int i = 0; i < pictures; ++i) {
        const std::string id = "pic" + std::to_string(i) + ".A1B2@example.com";
        text += "--=_r\r\nContent-Type: image/png;\r\n\tname=\"pic" + std::to_string(i) +
                ".png\"\r\nContent-Transfer-Encoding: base64\r\nContent-ID: <" + id + ">\r\n\r\n" +
                base64Lines(std::max<std::size_t>(pictureBytes, 64), random);
    }
    text += "--=_r--\r\n\r\n";
    for (int attachment = 1; text.size() < targetBytes; ++attachment) {
        const std::size_t left = (targetBytes - text.size()) * 3 / 4;
        const std::size_t size = std::max<std::size_t>(std::min<std::size_t>(left, 2u << 20), 1024);
        const std::string name = "archive-" + std::to_string(attachment) + ".zip";
        text += "--=_m\r\nContent-Type: application/zip;\r\n\tname=\"" + name +
                "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n\tfilename=\"" +
                name + "\"\r\n\r\n" + base64Lines(size, random);
    }
    return text + "--=_m--\r\n";
}

// A single-part quoted-printable ISO-8859-1 text of about `targetBytes`,
// its lines about `wordsPerLine` words long (soft breaks keep the encoded
// lines under 76 characters).
inline std::string plainTextMessage(std::size_t targetBytes, std::uint32_t wordsPerLine) {
    Random random;
    std::string text =
        "From: \"Carol Chen\" <carol@example.com>\r\nTo: <dave@example.net>\r\nSubject: Log of the week\r\n"
        "Date: Tue, 8 Dec 2026 09:01:02 +0800\r\nMessage-ID: <000004d9c3b4$5e6f7a80@example.com>\r\n"
        "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=\"iso-8859-1\"\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    static const char* const words[] = {"the", "r=E9sum=E9", "caf=E9", "<b>", "&", "figures", "na=EFve",
                                         "for", "M=FCnchen", "and", "line", "=3D", "report", "\"quoted\""};
    text.reserve(targetBytes + 200);
    std::size_t column = 0;
    while (text.size() < targetBytes) {
        const char* word = words[random.next() % (sizeof words / sizeof *words)];
        const std::size_t length = std::char_traits<char>::length(word);
        if (column + length + 1 > 75) {
            text += "=\r\n";
            column = 0;
        }
        text += word;
        column += length;
        if (random.next() % wordsPerLine == 0) {
            text += random.next() % 4 == 0 ? "\r\n\r\n" : "\r\n";
            column = 0;
        } else {
            text += ' ';
            ++column;
        }
    }
    return text + "\r\n";
}

// `count` base64 attachments of about `bytesEach`, named by encoded words
// (Base64 and Q forms, non-ASCII names) beside a short HTML body.
inline std::string manyAttachmentsMessage(int count, std::size_t bytesEach) {
    Random random;
    std::string text =
        "From: \"Carol Chen\" <carol@example.com>\r\nTo: <dave@example.net>\r\nSubject: Scans\r\n"
        "Date: Tue, 8 Dec 2026 09:01:02 +0800\r\nMessage-ID: <000005d9c3b4$5e6f7a80@example.com>\r\n"
        "MIME-Version: 1.0\r\nContent-Type: multipart/mixed;\r\n\tboundary=\"=_a\"\r\n\r\n"
        "--=_a\r\nContent-Type: text/html; charset=\"utf-8\"\r\n\r\n<html><body><p>The scans.</p></body></html>\r\n";
    for (int i = 0; i < count; ++i) {
        const std::string number = std::to_string(i);
        const std::string name = i % 2 == 0 ? "=?utf-8?Q?Re=C3=A7u_n=C2=B0" + number + ".pdf?="
                                            : "=?iso-8859-1?B?" + std::string("U2Nhbl/p") + "?= " + number + ".jpg";
        text += "--=_a\r\nContent-Type: application/octet-stream;\r\n\tname=\"" + name +
                "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n\tfilename=\"" + name +
                "\"\r\n\r\n" + base64Lines(bytesEach + random.next() % (bytesEach / 2 + 1), random);
    }
    return text + "--=_a--\r\n";
}

}  // namespace bench
