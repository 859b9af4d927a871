"""What an independent DXF reader (ezdxf) finds in a drawing, put the way the
importer should turn it into shapes. Prints one JSON object per file:

  {"file": name, "loaded": bool, "layers": [[name, colour], ...],
   "entity_types": {type: count}, "shapes": [{"t": type, "layer": name,
   "color": colour, "g": [numbers], "s": text}]}

"layers" and "entity_types" come from ezdxf's tag reader alone (the LAYER
entries of the TABLES section in file order, the record types of the
ENTITIES section), so they are there even when ezdxf cannot build the
document; "shapes" come from the document. Colours are 0x00BBGGRR integers;
-1 stands for "no colour" in the layer table.
Usage: /usr/bin/python3 dxf_expect.py FILE...
"""

import collections
import io
import json
import math
import sys

import ezdxf
from ezdxf import recover
from ezdxf.lldxf.encoding import decode_dxf_unicode
from ezdxf.lldxf.tagger import ascii_tags_loader


def aci(index):
    table = {1: 0x0000FF, 2: 0x00FFFF, 3: 0x00FF00, 4: 0xFFFF00, 5: 0xFF0000,
             6: 0xFF00FF, 7: 0xFFFFFF, 8: 0x808080, 9: 0xC0C0C0}
    if index in table:
        return table[index]
    if 10 <= index <= 255:
        return (17 * index % 256) | (37 * index % 256) << 8 | (53 * index % 256) << 16
    return None


def xy(v):
    return (v[0], v[1])


def clean(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c != "\\" or i + 1 >= len(text):
            out.append(c)
            i += 1
        elif text[i + 1] in "ACFHKLOPQSTWfp":
            i += 2
            while i < len(text) and text[i] not in "; ":
                i += 1
            i += 1
        elif text[i + 1] == "\\":
            out.append("\\")
            i += 2
        else:
            out.append("\\")
            i += 1
    return "".join(out)


def load(path):
    try:
        return ezdxf.readfile(path)
    except Exception:
        doc, _ = recover.readfile(path)
        return doc


def raw_tags(path):
    data = open(path, "rb").read()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        text = data.decode("cp1252", errors="replace")
    return list(ascii_tags_loader(io.StringIO(text)))


def table_and_types(path):
    layers, types = [], collections.Counter()
    try:
        tags = raw_tags(path)
    except Exception:
        return layers, types
    section, entry = None, None
    for i, tag in enumerate(tags):
        value = str(tag.value).strip()
        if tag.code == 0:
            if entry is not None and entry[0]:
                layers.append(entry)
            entry = None
            if value == "SECTION" and i + 1 < len(tags):
                section = str(tags[i + 1].value).strip()
            elif value == "ENDSEC":
                section = None
            elif section == "TABLES" and value == "LAYER":
                entry = ["", -1]
            elif section == "ENTITIES":
                types[value] += 1
        elif entry is not None and tag.code == 2:
            entry[0] = decode_dxf_unicode(value)
        elif entry is not None and tag.code == 62:
            c = aci(int(value))
            entry[1] = -1 if c is None else c
    return layers, types


def describe(path):
    layers, types = table_and_types(path)
    try:
        doc = load(path)
    except Exception as error:
        return {"file": path, "loaded": False, "reason": str(error), "layers": layers, "entity_types": types}

    layer_color = {}
    for name, c in layers:
        if c != -1:
            layer_color[name] = c

    shapes = []

    def add(t, layer, color, g, s=None):
        shape = {"t": t, "layer": decode_dxf_unicode(layer), "color": color, "g": [float(v) for v in g]}
        if s is not None:
            shape["s"] = decode_dxf_unicode(s)
        shapes.append(shape)

    def colour(e):
        c = aci(e.dxf.get("color", -1)) if e.dxf.hasattr("color") else None
        return c if c is not None else layer_color.get(decode_dxf_unicode(e.dxf.layer), 0)

    def polyline(e, points, closed):
        if len(points) >= 2:
            add(6 if closed else 5, e.dxf.layer, colour(e), [v for p in points for v in xy(p)])

    entities = list(doc.modelspace()) + list(doc.layouts.active_layout())
    for e in entities:
        kind = e.dxftype()
        layer = decode_dxf_unicode(e.dxf.layer)
        if kind == "LINE":
            add(3, layer, colour(e), [*xy(e.dxf.start), *xy(e.dxf.end)])
        elif kind == "CIRCLE":
            add(19, layer, colour(e), [*xy(e.dxf.center), e.dxf.radius])
        elif kind == "ARC":
            start, end = e.dxf.start_angle, e.dxf.end_angle
            sweep = end - start
            if sweep < 0:
                sweep += 360
            cx, cy = xy(e.dxf.center)
            r = e.dxf.radius
            pts = []
            for i in range(21):
                a = (start + sweep * i / 20) * math.pi / 180
                pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
            polyline(e, pts, False)
        elif kind == "ELLIPSE":
            cx, cy = xy(e.dxf.center)
            mx, my = xy(e.dxf.major_axis)
            ratio, s0, s1 = e.dxf.ratio, e.dxf.start_param, e.dxf.end_param
            a, th = math.hypot(mx, my), math.atan2(my, mx)
            pts = []
            for i in range(37):
                t = s0 + (s1 - s0) * i / 36
                px, py = a * math.cos(t), a * ratio * math.sin(t)
                pts.append((cx + px * math.cos(th) - py * math.sin(th), cy + px * math.sin(th) + py * math.cos(th)))
            polyline(e, pts, abs(s1 - s0) >= 2 * math.pi - 0.01)
        elif kind in ("SOLID", "TRACE"):
            v = [xy(e.dxf.vtx0), xy(e.dxf.vtx1), xy(e.dxf.vtx2), xy(e.dxf.vtx3)]
            if tuple(v[3]) == tuple(v[2]):
                v = v[:3]
            polyline(e, v, True)
        elif kind == "POINT":
            add(17, layer, layer_color.get(layer, 0), xy(e.dxf.location))
        elif kind == "SPLINE":
            polyline(e, [xy(p) for p in e.control_points], e.closed)
        elif kind in ("TEXT", "MTEXT"):
            text = clean((e.dxf.text if kind == "TEXT" else e.text).strip(" \t\r"))
            if text.strip():  # a text that shows nothing is left out
                height = e.dxf.get("height" if kind == "TEXT" else "char_height", 0)
                add(11, layer, layer_color.get(layer, 0), [*xy(e.dxf.insert), height if height > 0.1 else 2.5,
                                                           e.dxf.get("rotation", 0)], text)
        elif kind == "LWPOLYLINE":
            polyline(e, list(e.get_points("xy")), e.closed)
        elif kind == "POLYLINE":
            polyline(e, [xy(v.dxf.location) for v in e.vertices], e.is_closed)
        elif kind == "INSERT":
            block = doc.blocks.get(e.dxf.name)
            if block is None:
                continue
            bx, by = xy(block.block.dxf.base_point)
            sx, sy = e.dxf.get("xscale", 1), e.dxf.get("yscale", 1)
            r = e.dxf.get("rotation", 0) * math.pi / 180
            ix, iy = xy(e.dxf.insert)
            own = aci(e.dxf.get("color", -1)) if e.dxf.hasattr("color") else None
            for line in block:
                if line.dxftype() != "LINE":
                    continue
                g = []
                for x, y in (xy(line.dxf.start), xy(line.dxf.end)):
                    dx, dy = (x - bx) * sx, (y - by) * sy
                    g += [dx * math.cos(r) - dy * math.sin(r) + ix, dx * math.sin(r) + dy * math.cos(r) + iy]
                add(3, layer, own if own is not None else 0, g)
    # Extents of the geometry: circles by their box, texts and points by their anchor.
    xs, ys = [], []
    for shape in shapes:
        g = shape["g"]
        if shape["t"] == 19:
            xs += [g[0] - g[2], g[0] + g[2]]
            ys += [g[1] - g[2], g[1] + g[2]]
        elif shape["t"] in (11, 17):
            xs.append(g[0])
            ys.append(g[1])
        else:
            xs += g[0::2]
            ys += g[1::2]
    extents = [min(xs), min(ys), max(xs), max(ys)] if xs else []
    return {"file": path, "loaded": True, "layers": layers, "entity_types": types, "shapes": shapes,
            "extents": extents}


print(json.dumps([describe(p) for p in sys.argv[1:]]))
