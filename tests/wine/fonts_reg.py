#!/usr/bin/env python3
"""Writes the registry file a Wine prefix needs to show Tavrelle's texts:
the Chinese faces replaced by WenQuanYi Micro Hei (without it, boxes), the
dialog faces linked to it, and a frame that Wine draws itself, since Xvfb
has no window manager. Usage: fonts_reg.py OUT.reg"""
import sys

face = "WenQuanYi Micro Hei"
link = "wqy-microhei.ttc,WenQuanYi Micro Hei"
multi = ",".join(f"{b:02x}" for b in (link + "\0\0").encode("utf-16-le"))
names = ["SimSun", "宋体", "NSimSun", "新宋体", "SimHei", "黑体", "Microsoft YaHei", "微软雅黑"]
lines = ["Windows Registry Editor Version 5.00", "",
         r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
lines += [f'"{name}"="{face}"' for name in names]
lines += ["", r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]"]
lines += [f'"{name}"=hex(7):{multi}' for name in ["Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "Segoe UI"]]
lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\X11 Driver]", '"Decorated"="N"', ""]
open(sys.argv[1], "w", encoding="utf-16").write("\r\n".join(lines))
