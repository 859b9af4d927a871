"""Reads NMEA sentences (one per line) with pynmea2, checksums checked, and
prints what an autopilot takes from them: the signed cross-track error in
metres (positive when the boat is to starboard of the line, i.e. told to
steer left), the arrival flags and the destination in degrees."""
import sys

import pynmea2

NM = 1852.0


def signed(distance, steer):
    return (1.0 if steer == "L" else -1.0) * float(distance) * NM


for line in open(sys.argv[1]):
    line = line.strip()
    if not line:
        continue
    m = pynmea2.parse(line, check=True)
    if isinstance(m, pynmea2.types.talker.XTE):
        print("XTE,%.4f,%s" % (signed(m.cross_track_err_dist, m.correction_dir), m.warning_flag))
    elif isinstance(m, pynmea2.types.talker.APB):
        print("APB,%.4f,%s,%s,%s" % (signed(m.cross_track_err_mag, m.dir_steer),
                                     m.arr_circle_entered, m.perp_passed, m.dest_waypoint_id))
    elif isinstance(m, pynmea2.types.talker.RMB):
        lat = int(m.dest_lat[:2]) + float(m.dest_lat[2:]) / 60.0
        lon = int(m.dest_lon[:3]) + float(m.dest_lon[3:]) / 60.0
        if m.dest_lat_dir == "S":
            lat = -lat
        if m.dest_lon_dir == "W":
            lon = -lon
        print("RMB,%.4f,%.10f,%.10f,%s,%s" % (signed(m.cross_track_error, m.cte_correction_dir),
                                              lat, lon, m.dest_waypoint_id, m.arrival_alarm))
    else:
        print("OTHER," + m.sentence_type)
