#!/usr/bin/env python3
"""Writes res/RemoteControl.ini, the command sets that ship beside the program.

Each set lists only the keys it binds differently from the program's default keymap (the default keymap
applies to every other key). Key lines are written in the current layout: type, subtype, parameter,
second parameter, repeat flag, repeat delay, repeat rate, display text, window caption, English key name.
Run `rcset check res/RemoteControl.ini` after changing this file.

    tools/presets/make_presets.py [output]
"""
import os
import sys

# English key names of the key IDs used below (they are comments in the file).
KEY_NAMES = {
    140: "Power", 141: "Full screen", 142: "Timer", 143: "Mosaic", 144: "Still image", 160: "Menu",
    161: "Teletext", 162: "EPG", 163: "Program information", 180: "Up", 181: "Down", 182: "Left",
    183: "Right", 184: "OK", 185: "Back", 186: "OK", 187: "Back", 188: "Delete", 210: "-/--",
    220: "Programme -", 221: "Programme +", 222: "Last channel", 223: "AV", 240: "Volume -",
    241: "Volume +", 242: "Mute", 243: "Audio", 260: "Play", 261: "Stop", 262: "Pause", 263: "Recording",
    264: "FREW", 265: "FFRWD", 266: "Previous", 267: "Next", 268: "Previous/FREW", 269: "Next/FFRWD",
    280: "Red", 281: "Green", 282: "Yellow", 283: "Blue", 301: "DVD Menu", 302: "Subtitles", 303: "TV",
    304: "DVD", 305: "Video", 306: "Music", 307: "Picture", 308: "Angle", 320: "Red/Timer",
    321: "Green/Full screen", 322: "Yellow/Audio", 323: "Blue/Mosaic", 324: "Blue/Angle",
}
for d in range(10):
    KEY_NAMES[200 + d] = "Programme %d" % d

# Command types and the codes used.
NONE, OSD, SYS, KEY, WIN, CTL = range(6)
ALT, CTRL, SHIFT = 1, 2, 4
VK = dict(BACK=8, TAB=9, RETURN=13, ESCAPE=27, SPACE=32, PRIOR=33, NEXT=34, END=35, HOME=36, LEFT=37,
          UP=38, RIGHT=39, DOWN=40, ADD=107, SUBTRACT=109, F5=116, F7=118, F8=119, F9=120, F10=121,
          F11=122, MEDIA_NEXT=176, MEDIA_PREV=177, MEDIA_STOP=178, MEDIA_PLAY_PAUSE=179)


def key(code, text, mods=0, repeat=False, rate=200):
    """A keyboard shortcut: a virtual key of the program's table, or a character (upper-case letters
    press the letter key)."""
    if isinstance(code, str):
        code = ord(code)
    return (KEY, code, mods, 0, 1 if repeat else 0, 1000, rate, text)


def system(sub, param, text, repeat=False, rate=200):
    return (SYS, sub, param, 0, 1 if repeat else 0, 1000, rate, text)


def window(sub, text):
    return (WIN, sub, 0, 0, 0, 1000, 200, text)


SYS_MUTE, SYS_CLICK, SYS_CURSOR = 2, 3, 5
WIN_TOGGLE_MAXIMIZE = 5


def both(keys, command):
    return {k: command for k in keys}


SETS = []


def command_set(name, executable, description, keys, caption="", command_line=""):
    SETS.append(dict(name=name, executable=executable, description=description, caption=caption,
                     command_line=command_line, keys=keys))


command_set("Windows (Standard)", "explorer.exe", "Windows", {
    280: system(SYS_CLICK, 0, "Left click"),
    281: system(SYS_CLICK, 2, "Right click"),
    282: system(SYS_CURSOR, 2, "Mouse pointer"),
    283: key(VK["F5"], "Refresh"),
})

command_set("Lumora Vistar TV", "VistarTV.exe", "Lumora Vistar TV", {
    200 + d: key(str(d), str(d)) for d in range(10)
}, caption="Vistar Live")

command_set("VLC media player", "vlc.exe", "VLC media player", {
    **both((260, 262), key(VK["SPACE"], "Play/Pause")),
    261: key("S", "Stop"),
    **both((266, 268), key("P", "Previous")),
    **both((267, 269), key("N", "Next")),
    264: key(VK["LEFT"], "Back 10 s", ALT, repeat=True, rate=300),
    265: key(VK["RIGHT"], "Forward 10 s", ALT, repeat=True, rate=300),
    220: key(VK["LEFT"], "Back 1 min", CTRL, repeat=True, rate=500),
    221: key(VK["RIGHT"], "Forward 1 min", CTRL, repeat=True, rate=500),
    241: key(VK["UP"], "Volume +", CTRL, repeat=True, rate=100),
    240: key(VK["DOWN"], "Volume -", CTRL, repeat=True, rate=100),
    242: key("M", "Mute"),
    **both((141, 321), key("F", "Full screen")),
    **both((185, 187), key(VK["ESCAPE"], "Leave full screen")),
    **both((243, 282, 322), key("B", "Audio track")),
    **both((302, 283), key("V", "Subtitles")),
    280: key("A", "Aspect ratio"),
    281: key("Z", "Zoom"),
    301: key("M", "Disc menu", SHIFT),
    163: key("I", "Media information", CTRL),
    263: key("R", "Record", SHIFT),
    144: key("S", "Snapshot", SHIFT),
})

command_set("Kodi", "kodi.exe", "Kodi media center", {
    260: key("P", "Play"),
    262: key(VK["SPACE"], "Pause"),
    261: key("X", "Stop"),
    264: key("R", "Rewind"),
    265: key("F", "Fast forward"),
    241: key(VK["F10"], "Volume +", repeat=True, rate=100),
    240: key(VK["F9"], "Volume -", repeat=True, rate=100),
    242: key(VK["F8"], "Mute"),
    **both((141, 321), key(VK["TAB"], "Full screen")),
    163: key("I", "Information"),
    162: key("E", "TV guide"),
    161: key("V", "Teletext"),
    303: key("H", "TV channels"),
    301: key("M", "Player menu"),
    302: key("T", "Subtitles"),
    280: key("C", "Context menu"),
    281: key("O", "Codec information"),
    282: key("Z", "Zoom"),
    283: key("E", "TV guide"),
}, caption="Kodi")

command_set("MPC-HC", "mpc-hc64.exe", "Media Player Classic - Home Cinema", {
    **both((260, 262), key(VK["SPACE"], "Play/Pause")),
    264: key(VK["LEFT"], "Back", SHIFT, repeat=True, rate=300),
    265: key(VK["RIGHT"], "Forward", SHIFT, repeat=True, rate=300),
    **both((141, 321), key(VK["RETURN"], "Full screen", ALT)),
    **both((185, 187), key(VK["ESCAPE"], "Leave full screen")),
    242: key("M", "Mute", CTRL),
    **both((243, 282), key("A", "Next audio track")),
    302: key("S", "Next subtitle"),
    283: key("W", "Subtitles on/off"),
    301: key("R", "DVD menu", ALT),
    280: key("T", "DVD title menu", ALT),
})

command_set("mpv", "mpv.exe", "mpv media player", {
    **both((260, 262, 184, 186), key(VK["SPACE"], "Play/Pause")),
    241: key("0", "Volume +", repeat=True, rate=100),
    240: key("9", "Volume -", repeat=True, rate=100),
    **both((185, 187), key(VK["ESCAPE"], "Leave full screen")),
})

command_set("foobar2000", "foobar2000.exe", "foobar2000 audio player", {
    282: key("F", "Search", CTRL),
})

command_set("Spotify", "Spotify.exe", "Spotify", {
    **both((260, 262), key(VK["SPACE"], "Play/Pause")),
    **both((266, 268), key(VK["LEFT"], "Previous", CTRL)),
    **both((267, 269), key(VK["RIGHT"], "Next", CTRL)),
    264: key(VK["LEFT"], "Seek back", SHIFT, repeat=True, rate=300),
    265: key(VK["RIGHT"], "Seek forward", SHIFT, repeat=True, rate=300),
    241: key(VK["UP"], "Volume +", CTRL, repeat=True, rate=100),
    240: key(VK["DOWN"], "Volume -", CTRL, repeat=True, rate=100),
    **both((185, 187), key(VK["LEFT"], "Back", ALT)),
    281: key("S", "Shuffle", CTRL),
    282: key("R", "Repeat", CTRL),
})

command_set("Windows Media Player", "wmplayer.exe", "Windows Media Player", {
    **both((260, 262), key("P", "Play/Pause", CTRL)),
    261: key("S", "Stop", CTRL),
    **both((266, 268), key("B", "Previous", CTRL)),
    **both((267, 269), key("F", "Next", CTRL)),
    264: key("B", "Rewind", CTRL | SHIFT),
    265: key("F", "Fast forward", CTRL | SHIFT),
    241: key(VK["F9"], "Volume +", repeat=True, rate=100),
    240: key(VK["F8"], "Volume -", repeat=True, rate=100),
    242: key(VK["F7"], "Mute"),
    **both((141, 321), key(VK["RETURN"], "Full screen", ALT)),
    **both((185, 187), key(VK["ESCAPE"], "Leave full screen")),
    302: key("C", "Captions", CTRL | SHIFT),
    280: key("1", "Library", CTRL),
    281: key("3", "Now playing", CTRL),
    282: key("H", "Shuffle", CTRL),
    283: key("T", "Repeat", CTRL),
}, caption="Windows Media Player")

command_set("PowerPoint slide show", "POWERPNT.EXE", "Microsoft PowerPoint slide show", {
    183: key(VK["RIGHT"], "Next slide"),
    182: key(VK["LEFT"], "Previous slide"),
    181: key(VK["NEXT"], "Next slide"),
    180: key(VK["PRIOR"], "Previous slide"),
    221: key(VK["NEXT"], "Next slide"),
    220: key(VK["PRIOR"], "Previous slide"),
    **both((267, 269), key("N", "Next")),
    **both((266, 268), key("P", "Previous")),
    264: key(VK["HOME"], "First slide"),
    265: key(VK["END"], "Last slide"),
    260: key(VK["F5"], "Start slide show"),
    163: key(VK["F5"], "From current slide", SHIFT),
    262: key("S", "Pause/Resume"),
    261: key(VK["ESCAPE"], "End slide show"),
    280: key("B", "Black screen"),
    281: key("W", "White screen"),
    282: key("P", "Pen", CTRL),
    283: key("E", "Erase ink"),
}, caption="PowerPoint Slide Show")


def browser(name, executable, description):
    command_set(name, executable, description, {
        **both((185, 187), key(VK["LEFT"], "Back", ALT)),
        **both((141, 321), key(VK["F11"], "Full screen")),
        163: key(VK["F5"], "Reload"),
        162: key(VK["HOME"], "Home page", ALT),
        280: key("W", "Close tab", CTRL),
        281: key(VK["TAB"], "Previous tab", CTRL | SHIFT),
        282: key(VK["TAB"], "Next tab", CTRL),
        283: key("T", "New tab", CTRL),
    })


browser("Google Chrome", "chrome.exe", "Google Chrome")
browser("Mozilla Firefox", "firefox.exe", "Mozilla Firefox")
browser("Microsoft Edge", "msedge.exe", "Microsoft Edge")

command_set("IrfanView", "i_view64.exe", "IrfanView image viewer", {
    **both((267, 269), key(VK["SPACE"], "Next image")),
    **both((266, 268), key(VK["BACK"], "Previous image")),
    **both((141, 321, 184, 186), key(VK["RETURN"], "Full screen")),
    264: key(VK["HOME"], "First image"),
    265: key(VK["END"], "Last image"),
    280: key("R", "Rotate right"),
    281: key("L", "Rotate left"),
    282: key(VK["ADD"], "Zoom in"),
    283: key(VK["SUBTRACT"], "Zoom out"),
})

command_set("Adobe Acrobat Reader", "Acrobat.exe", "Adobe Acrobat Reader", {
    **both((141, 321), key("L", "Full screen", CTRL)),
    **both((185, 187), key(VK["ESCAPE"], "Leave full screen")),
    **both((267, 269), key(VK["NEXT"], "Next page")),
    **both((266, 268), key(VK["PRIOR"], "Previous page")),
    264: key(VK["HOME"], "First page"),
    265: key(VK["END"], "Last page"),
    280: key("0", "Whole page", CTRL),
    281: key("1", "Actual size", CTRL),
    282: key("2", "Page width", CTRL),
})

MAIN_MENU = ["Windows (Standard)", "Lumora Vistar TV", "VLC media player", "Kodi", "Windows Media Player",
             "Spotify", "MPC-HC", "Google Chrome", "PowerPoint slide show", "---"]


def line(command, name):
    t, sub, param, param2, repeat, delay, rate, text = command
    text = text.replace(" ", "_")
    return '%3d,%3d,%5d,%3d,%3d,%3d,%3d,"%s","%s","%s"' % (t, sub, param, param2, repeat, delay, rate, text, "",
                                                          name)


def render():
    out = ["; Command sets that ship with the program. Changes of the user are kept in the user's own file.",
           "[Settings]", "RC Layout Version=4", "", "[Software]"]
    out += ["%d=%s" % (i, n) for i, n in enumerate(MAIN_MENU)]
    names = {s["name"] for s in SETS}
    assert all(n == "---" or n in names for n in MAIN_MENU)
    for s in SETS:
        out += ["", "[%s]" % s["name"], "Executable=" + s["executable"], "Description=" + s["description"]]
        if s["caption"]:
            out.append("WindowCaption=" + s["caption"])
        if s["command_line"]:
            out.append("Command-line=" + s["command_line"])
        for k in sorted(s["keys"]):
            out.append("%3d=%s" % (k, line(s["keys"][k], KEY_NAMES[k])))
    return "\r\n".join(out) + "\r\n"


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "res", "RemoteControl.ini")
    with open(target, "wb") as f:
        f.write(b"\xff\xfe" + render().encode("utf-16-le"))


if __name__ == "__main__":
    main()
