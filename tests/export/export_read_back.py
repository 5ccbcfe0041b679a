#!/usr/bin/env python3
"""nivora-cli export, read back with tools nobody here wrote: ElementTree for
LandXML, gdalinfo and gdallocationinfo for GeoTIFF, ogrinfo for GeoPackage and
DXF. Usage: export_read_back.py NIVORA_CLI WORK_FOLDER"""

import json
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

CLI, WORK = sys.argv[1], sys.argv[2]
failures = []
checks = 0


def check(condition, what):
    global checks
    checks += 1
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def run(*args, status=0):
    p = subprocess.run(list(args), capture_output=True, text=True)
    if p.returncode != status:
        raise SystemExit(f"{' '.join(args)}: exit {p.returncode}, expected {status}\n{p.stdout}\n{p.stderr}")
    return p


def cli(*args, status=0):
    return run(CLI, *args, status=status)


def near(a, b, tol):
    return abs(a - b) <= tol


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)


def path(name):
    return os.path.join(WORK, name)


# The worked grid: 4 x 5 stakes; row 1 is the south one here (rows north).
ROWS = [[8.26, 8.75, 9.30, 9.52, 10.44],
        [7.94, 8.12, 8.90, 8.80, 9.62],
        [7.12, 7.86, 8.35, 8.60, 8.42],
        [6.74, 7.28, 7.94, 8.16, 7.80]]
SX, SY, Z0 = 0.01551, -0.022464, 8.4629


def project(name, rows, lx, ly, georef=None, systematize=True):
    text = path(name + ".txt")
    with open(text, "w") as f:
        for r in rows:
            f.write(";".join("" if v is None else str(v).replace(".", ",") for v in r) + "\n")
    nvr = path(name + ".NVR")
    cli("import", text, "--lx", str(lx), "--ly", str(ly), "-o", nvr)
    if systematize:
        cli("systematize", nvr, "-o", nvr)
    if georef:
        cli("georef", nvr, *georef, "-o", nvr)
    return nvr


def design(c, r, lx=25.0, ly=25.0):
    return Z0 + SX * lx * (c - 1) + SY * ly * (r - 1)


def plan_of(nvr):
    return json.loads(cli("info", nvr).stdout)


# ---------------------------------------------------------------- the worked grid
worked = project("worked", ROWS, 25, 25, ["--epsg", "31982", "--corner", "500000,7000000", "--rows", "north"])
plan = plan_of(worked)["Plans"][0]
check(near(plan["Sx"], SX, 5e-6) and near(plan["Sy"], SY, 5e-6), f"best plane {plan['Sx']} {plan['Sy']}")


def landxml_surfaces(xml_path):
    ns = {"l": "http://www.landxml.org/schema/LandXML-1.2"}
    root = ET.parse(xml_path).getroot()
    surfaces = {}
    for s in root.iter("{http://www.landxml.org/schema/LandXML-1.2}Surface"):
        pts = {}
        for p in s.find("l:Definition/l:Pnts", ns):
            n, e, z = (float(v) for v in p.text.split())
            pts[int(p.get("id"))] = (e, n, z)
        faces = [tuple(int(v) for v in f.text.split()) for f in s.find("l:Definition/l:Faces", ns)]
        surfaces[s.get("name")] = (pts, faces)
    return root, ns, surfaces


def ccw(pts, face):
    (x1, y1, _), (x2, y2, _), (x3, y3, _) = (pts[i] for i in face)
    return (x2 - x1) * (y3 - y1) - (x3 - x1) * (y2 - y1) > 0


out = cli("export", worked, "-o", path("worked.xml"))
summary = json.loads(out.stdout)
check(summary["Stakes"] == 20 and summary["Triangles"] == 24, f"summary {summary}")
check("aviso" not in out.stderr, "a georeferenced project exports without the warning")
root, ns, surfaces = landxml_surfaces(path("worked.xml"))
cs = root.find("l:CoordinateSystem", ns)
check(cs is not None and cs.get("epsgCode") == "31982", "LandXML names EPSG 31982")
check(root.find("l:Units/l:Metric", ns).get("linearUnit") == "meter", "LandXML units are metres")
check(root.find("l:Application", ns).get("name") == "Nivora", "LandXML names the application")
check(sorted(surfaces) == ["Natural", "Projeto"], f"surfaces {sorted(surfaces)}")
pts, faces = surfaces["Projeto"]
check(len(pts) == 20 and len(faces) == 24, f"design TIN {len(pts)} points {len(faces)} faces")
# Northing first, then easting: id 1 is stake (1, 1).
text_p1 = root.find(".//l:Surface[@name='Projeto']//l:P[@id='1']", ns).text.split()
check(text_p1[0] == "7000000.000" and text_p1[1] == "500000.000" and near(float(text_p1[2]), 8.4629, 1e-4),
      f"P1 {text_p1}")
bad = [f for f in faces for i in f
       if not near(pts[i][2], design(round((pts[i][0] - 500000) / 25) + 1, round((pts[i][1] - 7000000) / 25) + 1),
                   1e-4)]
check(not bad, f"every face's design elevations are the plan's within 0.1 mm ({len(bad)} off)")
check(all(ccw(pts, f) for f in faces), "every face counter-clockwise seen from above")
npts, nfaces = surfaces["Natural"]
check(nfaces == faces, "both surfaces share the stakes' ids and faces")
check(all(near(npts[1 + (r * 5) + c][2], ROWS[r][c], 1e-4) for r in range(4) for c in range(5)),
      "natural elevations at their stakes")
# The south-west to north-east diagonal: cell (1,1) gives (1 2 7) and (1 7 6).
check(faces[0] == (1, 2, 7) and faces[1] == (1, 7, 6), f"first cell's faces {faces[:2]}")

# GeoTIFF
cli("export", worked, "-o", path("worked.tif"))
info = json.loads(run("gdalinfo", "-json", path("worked.tif")).stdout)
check('ID["EPSG",31982]' in info["coordinateSystem"]["wkt"], "GeoTIFF carries EPSG 31982")
check(info["geoTransform"] == [499987.5, 25.0, 0.0, 7000087.5, 0.0, -25.0], f"geotransform {info['geoTransform']}")
check(info["size"] == [5, 4] and len(info["bands"]) == 3, f"size {info['size']} bands {len(info['bands'])}")
check(all(b["type"] == "Float32" and b["noDataValue"] == -9999 for b in info["bands"]), "Float32 bands with NoData")
check(info["metadata"][""].get("PLANO_SX", "").startswith("0.0155"), "the plan's figures as metadata")
check(info["metadata"].get("IMAGE_STRUCTURE", {}).get("COMPRESSION") == "DEFLATE", "DEFLATE")
check([b.get("description", "") for b in info["bands"]][0].startswith("Cota natural"), "band 1 described")


def pixel(tif, band, x, y):
    return float(run("gdallocationinfo", "-valonly", "-b", str(band), tif, str(x), str(y)).stdout)


# Raster line 0 is the north row (row 4 here).
for (x, y, c, r) in [(0, 0, 1, 4), (4, 3, 5, 1), (2, 1, 3, 3), (3, 2, 4, 2)]:
    nat, des, cf = (pixel(path("worked.tif"), b, x, y) for b in (1, 2, 3))
    check(near(nat, ROWS[r - 1][c - 1], 1e-5), f"tif natural at ({c},{r}) {nat}")
    check(near(des, design(c, r), 1e-4), f"tif design at ({c},{r}) {des}")
    check(near(cf, des - nat, 1e-4), f"tif cut/fill at ({c},{r}) {cf}")
loc = run("gdallocationinfo", "-geoloc", "-valonly", "-b", "2", path("worked.tif"), "500025", "7000050").stdout
check(near(float(loc), design(2, 3), 1e-4), "the stake at E 500025, N 7000050 is stake (2, 3)")

# GeoPackage
cli("export", worked, "-o", path("worked.gpkg"))
gp = run("ogrinfo", "-ro", "-al", path("worked.gpkg")).stdout
check(gp.count("POINT Z (") == 20, f"gpkg 20 3-D points ({gp.count('POINT Z (')})")
check("Geometry: 3D Point" in gp, "piquetes is a 3-D point layer")
check("LINESTRING Z" in gp, "curvas are 3-D lines")
m = re.search(r"coluna \(Integer\) = 5\n\s+linha \(Integer\) = 1\n\s+natural \(Real\) = ([-\d.]+)\n"
              r"\s+projeto \(Real\) = ([-\d.]+)\n\s+corte_aterro \(Real\) = ([-\d.]+)\n\s+POINT Z \(([\d. ]+)\)", gp)
check(m is not None, "stake (5, 1) in piquetes")
if m:
    nat, des, cf = float(m.group(1)), float(m.group(2)), float(m.group(3))
    e, n, z = (float(v) for v in m.group(4).split())
    check(near(nat, 10.44, 1e-5) and near(des, design(5, 1), 1e-4) and near(cf, des - nat, 1e-4),
          f"stake (5,1) attributes {nat} {des} {cf}")
    check((e, n) == (500100.0, 7000000.0) and near(z, 10.44, 1e-5), f"stake (5,1) at {e} {n} {z}")
srs = run("ogrinfo", "-ro", "-q", path("worked.gpkg"), "-sql",
          "SELECT srs_id, organization, organization_coordsys_id FROM gpkg_spatial_ref_sys WHERE srs_id = 31982").stdout
check(re.search(r"organization \(String\) = EPSG", srs) and
      re.search(r"organization_coordsys_id \(Integer(64)?\) = 31982", srs),
      "gpkg_spatial_ref_sys has (31982, EPSG, 31982)")
meta = run("ogrinfo", "-ro", "-so", path("worked.gpkg"), "piquetes").stdout
check("PLANO_SY=-0.0224" in meta, "the plan's figures as the layer's metadata")
curves = run("ogrinfo", "-ro", "-al", path("worked.gpkg"), "curvas").stdout
levels = [float(v) for v in re.findall(r"cota \(Real\) = ([-\d.]+)", curves)]
# The levels the altimetric map's dialog proposes, as nivora-cli contours takes them.
proposed = [c["Level"] for c in json.loads(cli("contours", worked, "--equidistant").stdout)["Curves"]]
check(len(proposed) > 2 and set(levels) == set(proposed), f"contour levels {sorted(set(levels))} {proposed}")
for line in re.findall(r"LINESTRING Z \(([^)]*)\)", curves):
    zs = {float(p.split()[2]) for p in line.split(",")}
    check(len(zs) == 1 and zs <= set(levels), f"a contour lies at its level {zs}")
outline = run("ogrinfo", "-ro", "-al", path("worked.gpkg"), "contorno").stdout
m = re.search(r"LINESTRING \(([^)]*)\)", outline)
ring = [tuple(float(v) for v in p.split()) for p in m.group(1).split(",")] if m else []
check(ring and ring[0] == ring[-1] and min(p[0] for p in ring) == 499987.5 and max(p[1] for p in ring) == 7000087.5,
      f"the outline frames the stakes half a spacing out ({ring[:2]})")

# DXF
cli("export", worked, "-o", path("worked.dxf"))
with open(path("worked.prj")) as f:
    check("SIRGAS_2000_UTM_Zone_22S" in f.read(), "the DXF's .prj names the system")
with open(path("worked.dxf")) as f:
    check("EPSG:31982" in f.read(200), "the DXF names the EPSG code in a comment")
dx = run("ogrinfo", "-ro", "-al", path("worked.dxf")).stdout
polys = re.findall(r"Layer \(String\) = PROJETO\n(?:.*\n)*?\s+POLYGON Z \(\(([^)]*)\)\)", dx)
check(len(polys) == 24, f"24 POLYGON Z design faces ({len(polys)})")
first = [tuple(float(v) for v in p.split()) for p in polys[0].split(",")] if polys else []
check(first[:3] == [(500000, 7000000, 8.4629), (500025, 7000000, 8.8506), (500025, 7000025, 8.289)] or
      all(near(a, b, 1e-4) for pa, pb in zip(first[:3], [(500000, 7000000, 8.4629), (500025, 7000000, 8.85065),
                                                         (500025, 7000025, 8.28905)]) for a, b in zip(pa, pb)),
      f"first face {first[:3]}")
bad = [p for poly in polys for p in poly.split(",")
       if not near(float(p.split()[2]), design(round((float(p.split()[0]) - 500000) / 25) + 1,
                                               round((float(p.split()[1]) - 7000000) / 25) + 1), 1e-4)]
check(not bad, f"every DXF face corner at the plan's design ({len(bad)} off)")
check(len(re.findall(r"Layer \(String\) = NATURAL\n(?:.*\n)*?\s+POINT Z", dx)) == 20, "20 natural POINTs")
texts = re.findall(r"Layer \(String\) = CORTE_ATERRO\n(?:.*\n)*?\s+Text \(String\) = ([-+\d.]+)", dx)
check(len(texts) == 20, f"20 cut/fill labels ({len(texts)})")
expected = sorted(design(c, r) - ROWS[r - 1][c - 1] for r in range(1, 5) for c in range(1, 6))
check(all(near(float(t), e, 6e-4) for t, e in zip(sorted(float(t) for t in texts), expected))
      and any(t.startswith("+") for t in texts) and "-0.426" in texts, f"signed depths, design less natural: {texts[:5]}")
check("Layer (String) = CURVAS" in dx and "Layer (String) = CONTORNO" in dx, "contour and outline layers")

# ASCII grid: the design, rows from the north.
cli("export", worked, "-o", path("worked.asc"))
with open(path("worked.asc")) as f:
    lines = f.read().split("\n")
head = dict(l.split() for l in lines[:6])
check(float(head["xllcorner"]) == 499987.5 and float(head["yllcorner"]) == 6999987.5 and float(head["cellsize"]) == 25,
      f"asc header {head}")
check(all(near(float(v), design(c + 1, 4), 1e-4) for c, v in enumerate(lines[6].split())),
      f"asc first row is the north row's design {lines[6]}")
check(os.path.exists(path("worked.prj")), "a .prj beside the ASCII grid")
info = json.loads(run("gdalinfo", "-json", path("worked.asc")).stdout)
check(info["geoTransform"][0] == 499987.5 and info["geoTransform"][3] == 7000087.5, "gdal reads the asc in place")

# Round trip: the GeoTIFF's natural band as X Y Z points, imported again,
# gives the field back north up (row 1 the northern row) at its place.
run("gdal_translate", "-q", "-of", "XYZ", "-b", "1", path("worked.tif"), path("rt.xyz"))
cli("points", path("rt.xyz"), "--lx", "25", "--epsg", "31982", "-o", path("rt.NVR"))
rt = plan_of(path("rt.NVR"))
check((rt["ColCount"], rt["RowCount"]) == (5, 4) or rt["UsedRect"] == [1, 1, 5, 4], f"round trip grid {rt['UsedRect']}")
g = rt["Georeference"]
check(g and (g["CornerEasting"], g["CornerNorthing"], g["RowsRunSouth"]) == (500000, 7000075, True),
      f"round trip corner {g}")
rows = [[float(v) for v in line.split("\t")] for line in cli("grid", path("rt.NVR")).stdout.strip().split("\n")]
check(all(near(a, b, 1e-3) for got, want in zip(rows, ROWS[::-1]) for a, b in zip(got, want)) and len(rows) == 4,
      f"round trip rows {rows[:1]}")

# ---------------------------------------------------------------- rows running south, unequal spacings
south = project("south", ROWS, 25, 20, ["--epsg", "31982", "--corner", "500000,7000060", "--rows", "south"])
cli("export", south, "-o", path("south.tif"))
info = json.loads(run("gdalinfo", "-json", path("south.tif")).stdout)
check(info["geoTransform"] == [499987.5, 25.0, 0.0, 7000070.0, 0.0, -20.0], f"rows south: {info['geoTransform']}")
check(near(pixel(path("south.tif"), 1, 0, 0), 8.26, 1e-5), "rows south: raster line 0 is row 1")
cli("export", south, "-o", path("south.xml"))
_, _, surfaces = landxml_surfaces(path("south.xml"))
pts, faces = surfaces["Projeto"]
check(pts[1][:2] == (500000.0, 7000060.0) and pts[20][:2] == (500100.0, 7000000.0), "rows south: stake places")
check(all(ccw(pts, f) for f in faces), "rows south: faces counter-clockwise")
before = "an earlier grid stays\n"
with open(path("south.asc"), "w") as f:
    f.write(before)
p = cli("export", south, "-o", path("south.asc"), status=4)
check("Lx = 25 m e Ly = 20 m" in p.stderr, f"unequal spacings refused: {p.stderr}")
with open(path("south.asc")) as f:
    check(f.read() == before, "a refused export leaves the earlier file as it was")

# ---------------------------------------------------------------- a missing stake, an area not at (1, 1)
holes = [[None] * 6] + [[None] + list(r) for r in ROWS]
holes[2][3] = None  # stake (3, 3): the natural 8.12's neighbour, row 2 of the field
hole = project("hole", holes, 25, 25, ["--epsg", "31982", "--corner", "500000,7000000", "--rows", "north"])
out = json.loads(cli("export", hole, "-o", path("hole.xml")).stdout)
check(out["Area"] == [2, 2, 6, 5], f"the plan's area {out['Area']}")
_, _, surfaces = landxml_surfaces(path("hole.xml"))
pts, faces = surfaces["Natural"]
check(len(pts) == 19 and len(faces) == 20, f"one stake missing: {len(pts)} points, {len(faces)} faces")
check(pts[1][:2] == (500025.0, 7000025.0), f"stake (2, 2) at {pts[1]}")
check(all(ccw(pts, f) for f in faces), "faces round a missing stake run counter-clockwise")
cli("export", hole, "-o", path("hole.tif"))
check(pixel(path("hole.tif"), 1, 2, 2) == -9999, "NoData at the missing stake")

# ---------------------------------------------------------------- no coordinate system
local = project("local", ROWS, 25, 25)
p = cli("export", local, "-o", path("local.xml"))
check("aviso" in p.stderr and "coordenadas locais" in p.stderr, "local coordinates are told on stderr")
root, ns, surfaces = landxml_surfaces(path("local.xml"))
check(root.find("l:CoordinateSystem", ns) is None, "no coordinate system pretended")
origin = plan_of(local)
check(surfaces["Natural"][0][20][:2] == (origin["OriginX"] + 100, origin["OriginY"] + 75),
      "local coordinates from the stored origin, Y growing with the row")
cli("export", local, "-o", path("local.dxf"))
check(not os.path.exists(path("local.prj")), "no .prj without a system")
cli("export", local, "-o", path("local.tif"))
check("coordinateSystem" not in json.loads(run("gdalinfo", "-json", path("local.tif")).stdout) or
      not json.loads(run("gdalinfo", "-json", path("local.tif")).stdout)["coordinateSystem"].get("wkt"),
      "a local GeoTIFF has no system")
p = cli("export", local, "--epsg", "31982", "--corner", "600000.25,7100000.5", "--rows", "north",
        "-o", path("given.xml"))
check("aviso" not in p.stderr, "--epsg with --corner places the project")
root, ns, surfaces = landxml_surfaces(path("given.xml"))
check(surfaces["Natural"][0][20][:2] == (600100.25, 7100075.5), f"--corner moves every stake {surfaces['Natural'][0][20]}")
cli("export", local, "--epsg", "31982", "-o", path("x.xml"), status=2)
cli("export", local, "--corner", "1,2", "-o", path("x.xml"), status=2)
cli("export", local, "--content", "natural,slope", "-o", path("x.xml"), status=2)

# ---------------------------------------------------------------- the plan: stored or computed
raw = project("raw", ROWS, 25, 25, systematize=False)
cli("export", raw, "-o", path("raw.xml"), status=4)
cli("export", raw, "--ratio", "1.3", "-o", path("raw.xml"))
_, _, surfaces = landxml_surfaces(path("raw.xml"))
pts, faces = surfaces["Projeto"]
check(not near(pts[1][2], 8.4629, 1e-3), f"--ratio exports the adjusted plan, not the best one ({pts[1][2]})")
p = cli("export", raw, "--ratio", "1.3", "--content", "natural", "-o", path("nat.xml"))
check(len(landxml_surfaces(path("nat.xml"))[2]) == 1, "--content natural writes one surface")
cli("export", worked, "-o", os.path.join(WORK, "missing-folder", "x.tif"), status=5)

print(f"{checks - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
