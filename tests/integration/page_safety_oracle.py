#!/usr/bin/python3
"""Reads written listing pages with a real HTML5 parser (html5lib, the WHATWG
tree builder) and names every page whose tree holds active content or loads
something from elsewhere.

Usage: page_safety_oracle.py FILE...   (one line per fault on stdout:
FILE<TAB>REASON; exit 0 when every file was read)
"""
import re
import sys

import html5lib

URL_ATTRIBUTES = {
    "href", "src", "srcset", "action", "formaction", "poster", "background", "data", "ping", "cite",
    "codebase", "archive", "classid", "manifest", "longdesc", "lowsrc", "dynsrc", "xlink:href", "usemap",
    "icon", "profile", "content",
}
RESOURCE_ATTRIBUTES = {"src", "srcset", "poster", "background", "lowsrc", "dynsrc", "data", "ping", "action",
                       "formaction", "codebase", "archive", "classid", "manifest"}
LOADING_ELEMENTS = {"iframe", "frame", "frameset", "object", "embed", "applet", "portal", "meta", "base", "link",
                    "form"}
BAD_SCHEME = re.compile(r"^(javascript|vbscript|data|file):", re.I)

# The page skeleton's own elements that would otherwise count as faults.
OWN_ELEMENTS = [
    ("meta", {"http-equiv": "Content-Type", "content": "text/html; charset=Windows-31J"}),
    ("meta", {"http-equiv": "Content-Script-Type", "content": "text/javascript"}),
    ("meta", {"http-equiv": "Content-Style-Type", "content": "text/css"}),
    ("link", {"href": "../Kanro.css", "rel": "stylesheet", "type": "text/css", "media": "all"}),
    ("link", {"href": "../print.css", "rel": "stylesheet", "type": "text/css", "media": "print"}),
    ("iframe", {"name": "iepg", "frameborder": "0", "width": "0", "height": "0"}),
]
OWN_BODY_SCROLL = "parent.head.document.body.scrollLeft=document.body.scrollLeft;"


def url_of(value):
    """The address as a URL parser reads it: outer blanks and controls go,
    tabs and line ends anywhere."""
    value = value.strip("".join(chr(c) for c in range(0x21)))
    return re.sub(r"[\t\n\r]", "", value)


def faults(root):
    own = list(OWN_ELEMENTS)
    for element in root.iter():
        if not isinstance(element.tag, str):
            continue  # comments
        tag = element.tag.split("}")[-1].lower()
        attributes = {name.split("}")[-1].lower(): value for name, value in element.attrib.items()}
        if tag == "script":
            yield "script element"
        if tag in LOADING_ELEMENTS:
            if (tag, attributes) in own:
                own.remove((tag, attributes))
            else:
                yield "%s element %r" % (tag, attributes)
        for name, value in attributes.items():
            if name.startswith("on"):
                if tag == "body" and name == "onscroll" and value == OWN_BODY_SCROLL:
                    continue
                yield "%s attribute on %s" % (name, tag)
            if name in URL_ATTRIBUTES and BAD_SCHEME.match(url_of(value)):
                yield "%s=%r on %s" % (name, value, tag)
            if name in RESOURCE_ATTRIBUTES and not url_of(value).startswith("../Image/"):
                yield "resource %s=%r on %s" % (name, value, tag)
            if name == "style" and re.search(r"url\s*\(|image|@import|expression", value, re.I):
                yield "style %r on %s" % (value, tag)


def main(paths):
    parser = html5lib.HTMLParser(tree=html5lib.getTreeBuilder("etree"))
    for path in paths:
        with open(path, "rb") as page:
            root = parser.parse(page, override_encoding="cp932")
        for fault in faults(root):
            print("%s\t%s" % (path, fault))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
