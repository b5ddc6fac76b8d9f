#!/usr/bin/env python3
"""Answers every request a `nimbra` started with NIMBRA_PROVIDER_BASE_URL sends, on a loopback port, so a
refresh completes with a whole forecast: Open-Meteo and MET Norway for the place asked (documents of the
services' full length, starting at the current hour), the naming of the current location and the place search.
The keyed providers are answered 401 (without keys they are never asked). Every document is made for its request,
from the coordinates in its query and the time it arrives, and differs from the last one, so each refresh brings
new weather.

Usage: provider_answers.py LOG [HOLD]
Prints the port it listens on, then serves until killed. Each answered request is appended to LOG as
"<ns since the epoch> <status> <path>", written once the answer has been sent. While the file HOLD exists,
requests wait for their answers (a slow network), so the answers can be let through at a moment of the caller's
choosing.
"""

import json
import math
import os
import sys
import threading
import time
from datetime import datetime, timedelta, timezone
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

counter = 0
counter_lock = threading.Lock()


def next_salt():
    """A number that grows with each document, so successive refreshes bring different weather."""
    global counter
    with counter_lock:
        counter += 1
        return counter


def coordinate(query, *names):
    for name in names:
        try:
            return float(query[name][0])
        except (KeyError, ValueError, IndexError):
            pass
    return 0.0


def hour_start(now):
    return now.replace(minute=0, second=0, microsecond=0)


def temperature(lat, hour, salt):
    return round(18 - abs(lat) / 4 + 5 * math.sin((hour + salt) / 3.8), 1)


def open_meteo(query, now, salt):
    """/v1/forecast: times on the place's wall clock, here UTC (the answer names its zone)."""
    lat, lon = coordinate(query, "latitude"), coordinate(query, "longitude")
    hours = int(query.get("forecast_hours", ["24"])[0])
    days = int(query.get("forecast_days", ["10"])[0])
    start = hour_start(now)
    hour_times = [start + timedelta(hours=h) for h in range(hours)]
    codes = [0, 1, 2, 3, 61, 3, 2, 80]
    day0 = start.replace(hour=0)
    day_times = [day0 + timedelta(days=d) for d in range(days)]
    local = "%Y-%m-%dT%H:%M"
    return {
        "latitude": lat,
        "longitude": lon,
        "generationtime_ms": 0.4,
        "utc_offset_seconds": 0,
        "timezone": "GMT",
        "timezone_abbreviation": "GMT",
        "elevation": 40.0,
        "current": {
            "time": now.replace(minute=now.minute - now.minute % 15, second=0, microsecond=0).strftime(local),
            "interval": 900,
            "temperature_2m": temperature(lat, 0, salt),
            "relative_humidity_2m": 60 + salt % 20,
            "apparent_temperature": round(temperature(lat, 0, salt) - 1.2, 1),
            "precipitation": 0.0,
            "weather_code": codes[salt % len(codes)],
            "cloud_cover": 40,
            "wind_speed_10m": 11.5 + salt % 7,
        },
        "hourly": {
            "time": [t.strftime(local) for t in hour_times],
            "temperature_2m": [temperature(lat, h, salt) for h in range(hours)],
            "relative_humidity_2m": [55 + (h + salt) % 30 for h in range(hours)],
            "apparent_temperature": [round(temperature(lat, h, salt) - 1.5, 1) for h in range(hours)],
            "precipitation_probability": [(h * 7 + salt) % 90 for h in range(hours)],
            "precipitation": [0.6 if (h + salt) % 8 == 4 else 0.0 for h in range(hours)],
            "weather_code": [codes[(h + salt) % len(codes)] for h in range(hours)],
            "wind_speed_10m": [9.0 + (h + salt) % 12 for h in range(hours)],
        },
        "daily": {
            "time": [d.strftime("%Y-%m-%d") for d in day_times],
            "weather_code": [codes[(d + salt) % len(codes)] for d in range(days)],
            "temperature_2m_max": [round(temperature(lat, 15, salt + d) + 4, 1) for d in range(days)],
            "temperature_2m_min": [round(temperature(lat, 3, salt + d) - 4, 1) for d in range(days)],
            "precipitation_probability_max": [(d * 13 + salt) % 100 for d in range(days)],
            "sunrise": [(d + timedelta(hours=5, minutes=12)).strftime(local) for d in day_times],
            "sunset": [(d + timedelta(hours=19, minutes=48)).strftime(local) for d in day_times],
        },
    }


def met_norway(query, now, salt):
    """/weatherapi/locationforecast/2.0/compact: hourly points for 60 hours, then every 6 hours to 9 days,
    as the service sends them."""
    lat, lon = coordinate(query, "lat"), coordinate(query, "lon")
    start = hour_start(now)
    offsets = list(range(60)) + list(range(60, 9 * 24, 6))
    symbols = ["clearsky_day", "fair_day", "partlycloudy_day", "cloudy", "lightrain", "rain", "cloudy"]
    series = []
    for i, h in enumerate(offsets):
        data = {
            "instant": {
                "details": {
                    "air_pressure_at_sea_level": 1012.4,
                    "air_temperature": temperature(lat, h, salt + 1),
                    "cloud_area_fraction": float((h * 11 + salt) % 100),
                    "relative_humidity": float(50 + (h + salt) % 40),
                    "wind_from_direction": 210.0,
                    "wind_speed": 2.5 + (h + salt) % 6,
                }
            }
        }
        symbol = symbols[(h + salt) % len(symbols)]
        amount = 0.7 if "rain" in symbol else 0.0
        if i < len(offsets) - 1:
            data["next_12_hours"] = {"summary": {"symbol_code": symbol}, "details": {}}
            data["next_6_hours"] = {"summary": {"symbol_code": symbol}, "details": {"precipitation_amount": amount}}
        if h < 60:
            data["next_1_hours"] = {"summary": {"symbol_code": symbol}, "details": {"precipitation_amount": amount}}
        series.append({"time": (start + timedelta(hours=h)).strftime("%Y-%m-%dT%H:%M:%SZ"), "data": data})
    return {
        "type": "Feature",
        "geometry": {"type": "Point", "coordinates": [lon, lat, 40]},
        "properties": {
            "meta": {"updated_at": (now - timedelta(minutes=20)).strftime("%Y-%m-%dT%H:%M:%SZ"),
                     "units": {"air_temperature": "celsius", "wind_speed": "m/s"}},
            "timeseries": series,
        },
    }


def reverse(query, now, salt):
    """/reverse (Nominatim): the place at a fix."""
    lat, lon = coordinate(query, "lat"), coordinate(query, "lon")
    return {"lat": str(lat), "lon": str(lon), "name": "Benchville",
            "address": {"city": "Benchville", "county": "Loopback County", "state": "Region",
                        "country": "Country", "country_code": "xx"}}


def search(query, now, salt):
    """/v1/search (Open-Meteo geocoding): a few places named like the text asked for."""
    name = query.get("name", ["Place"])[0]
    return {"results": [{"id": 1000 + i, "name": f"{name} {i + 1}", "latitude": 40.0 + i, "longitude": -3.0 - i,
                         "country": "Country", "admin1": "Region", "timezone": "GMT"} for i in range(3)],
            "generationtime_ms": 0.5}


ROUTES = {
    "/v1/forecast": open_meteo,
    "/weatherapi/locationforecast/2.0/compact": met_norway,
    "/reverse": reverse,
    "/v1/search": search,
}

# The keyed providers' paths: asked only with a key, which the benchmark sets none of.
KEYED = ("/data/", "/v4/")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    log_path = ""
    hold_path = ""

    def do_GET(self):
        while self.hold_path and os.path.exists(self.hold_path):
            time.sleep(0.02)
        url = urlsplit(self.path)
        make = ROUTES.get(url.path)
        if make:
            status = 200
            body = json.dumps(make(parse_qs(url.query), datetime.now(timezone.utc), next_salt())).encode()
        else:
            status = 401 if url.path.startswith(KEYED) else 404
            body = json.dumps({"error": "not served here"}).encode()
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()
        with open(self.log_path, "a") as log:
            log.write(f"{time.time_ns()} {status} {url.path}\n")

    def log_message(self, format, *args):
        pass


def main():
    if len(sys.argv) not in (2, 3):
        print("usage: provider_answers.py LOG [HOLD]", file=sys.stderr)
        return 2
    Handler.log_path = sys.argv[1]
    Handler.hold_path = sys.argv[2] if len(sys.argv) == 3 else ""
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    server.serve_forever()
    return 0


if __name__ == "__main__":
    sys.exit(main())
