"""Messages written to break a mail reader: names and header text in raw
8-bit and in every encoding mail uses for them, mislabelled bodies, UTF-7,
names that are paths or devices, broken structure. Each is bytes, as a
mail client receives it."""


def _message(headers, body, content_type='text/html; charset="utf-8"', encoding="8bit"):
    lines = [b"From: Alex Moreno <alex@example.com>", b"To: Dana Whitfield <dana@example.org>",
             b"Date: Tue, 01 Dec 2026 09:14:02 +0100", b"Message-ID: <hostile@mail.example>",
             b"MIME-Version: 1.0"]
    lines += headers
    if content_type:
        lines += [b"Content-Type: " + content_type.encode(), b"Content-Transfer-Encoding: " + encoding.encode()]
    return b"\r\n".join(lines) + b"\r\n\r\n" + body


def _with_attachment(name_header, subject=b"Subject: an attachment"):
    body = (b"--b1\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>see the attachment</p>\r\n"
            b"--b1\r\nContent-Type: text/plain\r\nContent-Disposition: attachment; " + name_header +
            b"\r\n\r\nattached text\r\n--b1--\r\n")
    return _message([subject], body, 'multipart/mixed; boundary="b1"', "7bit")


def hostile_messages():
    m = {}
    # Names in raw 8-bit, in RFC 2231 and in encoded words.
    m["name-raw-utf8"] = _with_attachment("filename=\"ci\u00eble.txt\"".encode("utf-8"))
    m["name-2231-latin1"] = _with_attachment(b"filename*=iso-8859-1''Hasenund%F6sche.txt")
    m["name-raw-latin1"] = _with_attachment(b'filename="Fr\xf6sche.txt"')
    m["name-japanese"] = _with_attachment(b'filename="=?UTF-8?B?5pel5pys6Kqe44Gu5paH5pu4LnR4dA==?="')
    m["name-cyrillic-2231"] = _with_attachment(b"filename*=koi8-r''%F0%D2%C9%D7%C5%D4.txt")
    m["name-2231-continued"] = _with_attachment(
        b"filename*0*=UTF-8''%E6%8A%A5%E5%91%8A; filename*1*=%20final; filename*2=.pdf")
    m["name-path"] = _with_attachment(b'filename="..\\..\\..\\Windows\\evil.dll"')
    m["name-unix-path"] = _with_attachment(b'filename="../../../../tmp/evil.txt"')
    m["name-device"] = _with_attachment(b'filename="CON.txt"')
    m["name-forbidden"] = _with_attachment(b'filename="a<b>c:d|e?f*g\\"h. "')
    m["name-long"] = _with_attachment(b'filename="' + b"x" * 400 + b'.txt"')
    m["name-empty"] = _with_attachment(b'filename=""')
    # Header text in raw 8-bit: UTF-8 and Latin-1, and in encoded words.
    m["header-raw-utf8"] = _message(["To: J\u00fcrgen Schm\u00fcrgen <js@example.de>".encode("utf-8"),
                                     "Subject: Gr\u00fc\u00dfe".encode("utf-8")], b"<p>hallo</p>\r\n")
    m["header-raw-utf8-latin1-body"] = _message(["Cc: J\u00fcrgen Schm\u00fcrgen <js@example.de>".encode("utf-8")],
                                                b"<p>caf\xe9</p>\r\n", 'text/html; charset="iso-8859-1"')
    m["header-raw-latin1"] = _message([b"Cc: J\xfcrgen Schm\xfcrgen <js@example.de>", b"Subject: Gr\xfc\xdfe"],
                                      b"<p>hallo</p>\r\n", 'text/html; charset="iso-8859-1"')
    m["header-encoded-words"] = _message([b"Subject: =?ISO-8859-1?Q?Gr=FC=DFe?= =?UTF-8?B?5pel5pys?=",
                                          b"Cc: =?koi8-r?B?8NLJ18XU?= <ivan@example.ru>"], b"<p>x</p>\r\n")
    m["header-broken-encoded-word"] = _message([b"Subject: =?UTF-8?B?####?= =?x-unknown?Q?abc?= =?UTF-8?Q?caf=C3?="],
                                               b"<p>x</p>\r\n")
    # Bodies labelled US-ASCII that hold 8-bit text, as much mail does.
    m["body-ascii-latin1"] = _message([b"Subject: ascii label"], b"Envoy\xe9 par le service\r\n",
                                      'text/plain; charset="us-ascii"')
    m["body-ascii-utf8"] = _message([b"Subject: ascii label"], "Envoy\u00e9 par le service\r\n".encode("utf-8"),
                                    'text/plain; charset="us-ascii"')
    m["body-ascii-html-1252"] = _message([b"Subject: ascii label"], b"<p>\x93quoted\x94 \x80 caf\xe9</p>\r\n",
                                         'text/html; charset=us-ascii')
    m["body-unlabelled-8bit"] = _message([b"Subject: no charset"], b"<p>caf\xe9</p>\r\n", "text/html")
    m["body-windows-1252"] = _message([b"Subject: 1252"], b"<p>\x93quoted\x94 \x80 caf\xe9</p>\r\n",
                                      "text/html; charset=windows-1252")
    m["body-unknown-charset"] = _message([b"Subject: unknown"], b"<p>caf\xe9</p>\r\n", "text/html; charset=x-mystery")
    m["body-invalid-utf8"] = _message([b"Subject: bad utf-8"], b"<p>caf\xe9 \xc3\x28 \xf5\x80\x80\x80</p>\r\n")
    # UTF-7 mail: headers and body.
    m["utf7"] = _message([b"Subject: =?utf-7?Q?Gr+APwA3w-e?=", b"Cc: J+APw-rgen <j@example.de>"],
                         b"<p>J+APw-rgen, 1+ACs-1 +- Gr+APwA3w-e</p>\r\n", "text/html; charset=utf-7", "7bit")
    m["utf7-plain"] = _message([b"Subject: utf-7 text"], b"Hi J+APw-rgen +- bye\r\n", "text/plain; charset=UTF-7",
                               "7bit")
    # Chinese mail.
    m["gb2312-name"] = _with_attachment(b'filename="=?GB2312?B?sai45i5kb2M=?="',
                                        b"Subject: =?GB2312?B?sai45g==?=")
    m["big5-body"] = _message([b"Subject: big5"], b"<p>\xa4\xa4\xa4\xe5</p>\r\n", "text/html; charset=big5")
    # Structure.
    nested = b"<p>deep</p>\r\n"
    for depth in range(60):
        b = ("n%d" % depth).encode()
        nested = (b"Content-Type: multipart/mixed; boundary=\"" + b + b"\"\r\n\r\n--" + b + b"\r\n" + nested +
                  b"\r\n--" + b + b"--\r\n")
    m["nested-60"] = _message([b"Subject: nested"], nested.split(b"\r\n\r\n", 1)[1],
                              'multipart/mixed; boundary="n59"', "7bit")
    m["unterminated"] = _message([b"Subject: unterminated"],
                                 b"--b1\r\nContent-Type: text/html\r\n\r\n<p>open", 'multipart/mixed; boundary="b1"')
    m["no-boundary"] = _message([b"Subject: no boundary"], b"--b1\r\n\r\n<p>x</p>\r\n", "multipart/mixed")
    m["bare-lf"] = _message([b"Subject: bare LF"], b"<p>one</p>\n<p>two</p>\n").replace(b"\r\n", b"\n")
    m["bare-cr"] = _message([b"Subject: bare CR"], b"<p>one</p>\r<p>two</p>\r").replace(b"\r\n", b"\r")
    m["broken-base64"] = _message([b"Subject: broken base64"], b"PHA+aGVs!!bG8=PC9wPg\r\n====\r\n", "text/html",
                                  "base64")
    m["broken-qp"] = _message([b"Subject: broken qp"], b"<p>=E9=\r\n=ZZ=4=</p>=", "text/html; charset=iso-8859-1",
                              "quoted-printable")
    m["cid-missing"] = _message([b"Subject: cid"], (
        b"--r\r\nContent-Type: text/html\r\n\r\n<img src=\"cid:nothere\"><img src=\"cid:p1\"><img src=\"CID:P1\">\r\n"
        b"--r\r\nContent-Type: image/gif\r\nContent-ID: <p1>\r\nContent-Transfer-Encoding: base64\r\n\r\n"
        b"R0lGODlhAQABAAAAACw=\r\n--r\r\nContent-Type: image/gif\r\nContent-ID: <p1>\r\n\r\nGIF\r\n--r--\r\n"),
        'multipart/related; boundary="r"', "7bit")
    m["same-names"] = _message([b"Subject: same names"], b"".join(
        b"--b\r\nContent-Type: text/plain\r\nContent-Disposition: attachment; filename=\"a.txt\"\r\n\r\n%d\r\n" % i
        for i in range(5)) + b"--b\r\nContent-Type: text/html\r\n\r\n<p>x</p>\r\n--b--\r\n",
        'multipart/mixed; boundary="b"', "7bit")
    m["placeholders-in-mail"] = _message([b"Subject: %N %A %R %m", b"Cc: %G{x} %LH{y} %%"],
                                         b"<p>%N %A %f %CETXT{a}{b} %%</p>\r\n")
    m["long-header"] = _message([b"Subject: " + b"long " * 20000, b"X-Many: " + b"a" * 70000], b"<p>x</p>\r\n")
    m["headers-only"] = _message([b"Subject: nothing else"], b"", None)
    m["rfc822-attached"] = _message([b"Subject: forwarded"], (
        b"--b\r\nContent-Type: text/html\r\n\r\n<p>see below</p>\r\n--b\r\nContent-Type: message/rfc822\r\n\r\n"
        b"Subject: inner\r\nContent-Type: text/html\r\n\r\n<p>inner</p>\r\n--b--\r\n"),
        'multipart/mixed; boundary="b"', "7bit")
    return m
