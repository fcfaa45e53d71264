#!/usr/bin/python3
"""Prints where Poppler takes each link of a page: the target page's index, or -1."""
import os
import sys

import gi

gi.require_version("Poppler", "0.18")
from gi.repository import GLib, Poppler  # noqa: E402

document = Poppler.Document.new_from_file(GLib.filename_to_uri(os.path.abspath(sys.argv[1]), None), None)
page = document.get_page(int(sys.argv[2]))
for mapping in page.get_link_mapping():
    action = mapping.action
    target = -1
    if action.type == Poppler.ActionType.GOTO_DEST:
        dest = action.goto_dest.dest
        if dest.type == Poppler.DestType.NAMED:
            dest = document.find_dest(dest.named_dest)
        if dest is not None:
            target = dest.page_num - 1
    print(target)
