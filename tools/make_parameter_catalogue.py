#!/usr/bin/env python3
"""Writes the parameter catalogue the program ships: data/Parameters.txt (names, types, options,
decimals, limits, factory defaults), data/ParNo.txt (menu rows), data/Tree0.txt .. Tree2.txt
(menu captions in Dutch, English, German), and the factory-default table of the simulator
(sim/lib/FactoryDefaults.cpp), so the controller model and the catalogue cannot drift apart.

Run from anywhere:  python3 tools/make_parameter_catalogue.py
The files are single-byte Windows-1252 text with CR LF line ends."""

import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parent.parent

POS = 9        # "dec" selector: decimals of the position (parameter 203)
LINPOS = 10    # "dec" selector: decimals of the linearised position (parameter 248)
POS_MIN, POS_MAX = -9999999, 99999999   # raw limits of a position: at most 8 digits

CAMS = 24
OUTPUTS = 9
INPUTS = 6
POINTS = 30
SETPOINTS = 48
THUMBWHEELS = 4

params = {}   # number -> dict


def define(n, names, dec=0, lo=0, hi=0, default=0, options=None, ref=None):
    """names: (Dutch, English, German). options: list of (nl, en, de); ref: borrow the list of
    another parameter through a "#" reference."""
    assert 0 <= n <= 399, n
    assert n not in params, f"parameter {n} defined twice"
    if options is not None:
        lo, hi = 0, len(options) - 1
    assert lo <= default <= hi, (n, lo, default, hi)
    params[n] = dict(names=names, dec=dec, lo=lo, hi=hi, default=default,
                     options=options, ref=ref, type=1 if (options or ref is not None) else 0)


def option_param(n, names, options, default=0):
    define(n, names, options=options, default=default)


def ref_param(n, names, ref, count, default=0):
    params_ref = params[ref]
    assert params_ref["options"] is not None and params_ref["ref"] is None
    define(n, names, lo=0, hi=count - 1, default=default, ref=ref)


OFF_ON = [("Uit", "Off", "Aus"), ("Aan", "On", "Ein")]
NO_YES = [("Nee", "No", "Nein"), ("Ja", "Yes", "Ja")]

# --- menu 1: general ------------------------------------------------------------------------
define(0, ("Unitnummer", "Unit number", "Gerätenummer"), lo=0, hi=31)
option_param(1, ("Baudrate", "Baud rate", "Baudrate"),
             [(b, b, b) for b in ("1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200")],
             default=3)
option_param(2, ("Pariteit", "Parity", "Parität"),
             [("Geen", "None", "Keine"), ("Even", "Even", "Gerade"), ("Oneven", "Odd", "Ungerade")],
             default=1)
define(3, ("Antwoordvertraging (ms)", "Reply delay (ms)", "Antwortverzögerung (ms)"), lo=0, hi=250)
define(4, ("Time-out seriële lijn (s)", "Serial line time-out (s)", "Timeout serielle Leitung (s)"),
       dec=1, lo=0, hi=600)
define(5, ("Wachtwoord", "Password", "Passwort"), lo=0, hi=9999)
option_param(6, ("Parameterbeveiliging", "Parameter protection", "Parameterschutz"), OFF_ON)

# --- cams: fixed start, fixed end, hysteresis (7..78); function, source, selects, output -------
CAM_FUNCTIONS = [("Niet gebruikt", "Not used", "Nicht benutzt"),
                 ("Venster aanvang-einde", "Window start-end", "Fenster Anfang-Ende"),
                 ("Aan vanaf aanvang", "On from start", "Ein ab Anfang"),
                 ("Uit vanaf aanvang", "Off from start", "Aus ab Anfang")]
CAM_SOURCES = [("Positie", "Position", "Position"),
               ("Gelineariseerde positie", "Linearised position", "Linearisierte Position"),
               ("Snelheid", "Speed", "Geschwindigkeit")]
# Position-source code of the start and end selects: 0 fixed value, 1..48 setpoint, 49..52 thumbwheel.
POSITION_SOURCES = ([("Vast", "Fixed", "Fest")]
                    + [(f"Sollwert {s}", f"Setpoint {s}", f"Sollwert {s}") for s in range(1, SETPOINTS + 1)]
                    + [(f"Duimwiel {t}", f"Thumbwheel {t}", f"Daumenrad {t}") for t in range(1, THUMBWHEELS + 1)])
assert len(POSITION_SOURCES) == 53


def cam_name(c, nl, en, de):
    return (f"Nok {c} {nl}", f"Cam {c} {en}", f"Nocke {c} {de}")


for c in range(1, CAMS + 1):
    define(6 + c, cam_name(c, "vaste aanvang", "fixed start", "fester Anfang"), dec=POS, lo=POS_MIN, hi=POS_MAX)
    define(30 + c, cam_name(c, "vast einde", "fixed end", "festes Ende"), dec=POS, lo=POS_MIN, hi=POS_MAX)
    define(54 + c, cam_name(c, "hysteresis", "hysteresis", "Hysterese"), dec=POS, lo=0, hi=999999)

for c in range(1, CAMS + 1):
    names = cam_name(c, "functie", "function", "Funktion")
    if c == 1:
        option_param(256, names, CAM_FUNCTIONS)
    else:
        ref_param(255 + c, names, 256, len(CAM_FUNCTIONS))
for c in range(1, CAMS + 1):
    names = cam_name(c, "bron", "source", "Quelle")
    if c == 1:
        option_param(280, names, CAM_SOURCES)
    else:
        ref_param(279 + c, names, 280, len(CAM_SOURCES))
for c in range(1, CAMS + 1):
    names = cam_name(c, "keuze aanvang", "start select", "Auswahl Anfang")
    if c == 1:
        option_param(304, names, POSITION_SOURCES)
    else:
        ref_param(303 + c, names, 304, len(POSITION_SOURCES))
for c in range(1, CAMS + 1):
    ref_param(327 + c, cam_name(c, "keuze einde", "end select", "Auswahl Ende"), 304, len(POSITION_SOURCES))
for c in range(1, CAMS + 1):
    # Output 0 parks a cam; a fresh unit spreads the cams over the nine outputs.
    define(351 + c, cam_name(c, "uitgang", "output", "Ausgang"), lo=0, hi=OUTPUTS,
           default=(c - 1) % OUTPUTS + 1)

# --- outputs -----------------------------------------------------------------------------------
for m in range(1, OUTPUTS + 1):
    define(78 + m, (f"Minimale aantijd uitgang {m} (ms)", f"Minimum on-time output {m} (ms)",
                    f"Mindesteinschaltzeit Ausgang {m} (ms)"), lo=0, hi=10000)
    # The advance makes an output switch early by this time, so the valve or actuator it drives
    # acts at the cam's position even at speed.
    define(93 + m, (f"Vervroeging uitgang {m} (s)", f"Advance output {m} (s)", f"Vorhalt Ausgang {m} (s)"),
           dec=3, lo=0, hi=9999)
POLARITY_OUT = [("Normaal", "Normal", "Normal"), ("Geïnverteerd", "Inverted", "Invertiert")]
for m in range(1, OUTPUTS + 1):
    names = (f"Polariteit uitgang {m}", f"Polarity output {m}", f"Polarität Ausgang {m}")
    if m == 1:
        option_param(103, names, POLARITY_OUT)
    else:
        ref_param(102 + m, names, 103, len(POLARITY_OUT))

OUTPUT_FUNCTIONS = [("Nokken", "Cams", "Nocken"),
                    ("Altijd uit", "Always off", "Immer aus"),
                    ("Altijd aan", "Always on", "Immer ein"),
                    ("Gereed", "Ready", "Bereit"),
                    ("Fout", "Error", "Fehler"),
                    ("Stilstand", "Standstill", "Stillstand"),
                    ("Draairichting", "Direction", "Drehrichtung"),
                    ("Snelheid > grens", "Speed > limit", "Geschwindigkeit > Grenze"),
                    ("Referentie OK", "Reference OK", "Referenz OK"),
                    ("Via seriële lijn", "By serial line", "Über serielle Leitung"),
                    ("Stukteller bereikt", "Piece count reached", "Stückzahl erreicht")]
for m in range(1, OUTPUTS + 1):
    names = (f"Functie uitgang {m}", f"Function output {m}", f"Funktion Ausgang {m}")
    default = 3 if m == OUTPUTS else 0   # output 9 reports "ready" on a fresh unit
    if m == 1:
        option_param(389, names, OUTPUT_FUNCTIONS, default=default)
    else:
        ref_param(388 + m, names, 389, len(OUTPUT_FUNCTIONS), default=default)

# --- monitoring --------------------------------------------------------------------------------
option_param(88, ("Uitgangen bij fout", "Outputs on error", "Ausgänge bei Fehler"),
             [("Uit", "Off", "Aus"), ("Vasthouden", "Hold", "Halten"),
              ("Normaal bedrijf", "Normal operation", "Normalbetrieb")])
option_param(89, ("Encoderbewaking", "Encoder monitoring", "Geberüberwachung"), OFF_ON, default=1)
define(90, ("Max. positiesprong", "Max. position jump", "Max. Positionssprung"), dec=POS, lo=0, hi=POS_MAX)
define(91, ("Bewakingstijd (ms)", "Monitoring time (ms)", "Überwachungszeit (ms)"), lo=0, hi=10000, default=100)
define(92, ("Max. snelheid", "Max. speed", "Max. Geschwindigkeit"), dec=POS, lo=0, hi=POS_MAX)
option_param(93, ("Voedingsbewaking", "Supply monitoring", "Versorgungsüberwachung"), OFF_ON, default=1)

# --- cams, general -------------------------------------------------------------------------------
option_param(112, ("Nokken vrijgave", "Cam enable", "Nockenfreigabe"),
             [("Altijd", "Always", "Immer"), ("Via ingang", "By input", "Über Eingang"),
              ("Via commando", "By command", "Über Befehl")])
option_param(113, ("Richtingsafhankelijkheid", "Direction dependence", "Richtungsabhängigkeit"),
             [("Beide richtingen", "Both directions", "Beide Richtungen"),
              ("Alleen vooruit", "Forward only", "Nur vorwärts"),
              ("Alleen achteruit", "Backward only", "Nur rückwärts")])
option_param(114, ("Nokken bij stilstand", "Cams at standstill", "Nocken bei Stillstand"),
             [("Actief", "Active", "Aktiv"), ("Uit", "Off", "Aus")])
option_param(115, ("Hysteresismodus", "Hysteresis mode", "Hysteresemodus"),
             [("Symmetrisch", "Symmetric", "Symmetrisch"),
              ("Richtingsafhankelijk", "Direction dependent", "Richtungsabhängig")])
define(116, ("Nokprogramma", "Cam program", "Nockenprogramm"), lo=0, hi=7)
option_param(117, ("Programmakeuze", "Program selection", "Programmwahl"),
             [("Parameter", "Parameter", "Parameter"), ("Via ingangen", "By inputs", "Über Eingänge"),
              ("Via seriële lijn", "By serial line", "Über serielle Leitung")])
option_param(118, ("Cyclustijd nokken", "Cam cycle time", "Nockenzykluszeit"),
             [(t, t, t) for t in ("100 µs", "250 µs", "500 µs", "1 ms")], default=1)
option_param(119, ("Snelheidsafh. vervroeging", "Speed-dependent advance", "Geschw.-abh. Vorhalt"),
             OFF_ON, default=1)

option_param(120, ("Foutgeheugen", "Error memory", "Fehlerspeicher"),
             [("Wissen bij reset", "Clear on reset", "Bei Reset löschen"), ("Behouden", "Keep", "Behalten")])
option_param(121, ("Fout automatisch resetten", "Automatic error reset", "Automatische Fehlerquittierung"), NO_YES)
option_param(122, ("Temperatuurbewaking", "Temperature monitoring", "Temperaturüberwachung"), OFF_ON, default=1)
option_param(123, ("Kortsluitbewaking uitgangen", "Output short-circuit monitoring",
                   "Kurzschlussüberwachung Ausgänge"), OFF_ON, default=1)
option_param(124, ("SSI foutbewaking", "SSI error monitoring", "SSI-Fehlerüberwachung"), OFF_ON, default=1)
option_param(125, ("Referentie vereist", "Reference required", "Referenz erforderlich"), NO_YES)

# --- piece counter -----------------------------------------------------------------------------
option_param(126, ("Bron stukteller", "Piece counter source", "Quelle Stückzähler"),
             [("Uit", "Off", "Aus"), ("Elke cyclus", "Every cycle", "Jeder Zyklus")]
             + [(f"Ingang {i}", f"Input {i}", f"Eingang {i}") for i in range(1, INPUTS + 1)])
define(127, ("Voorinstelling stukteller", "Piece counter preset", "Vorwahl Stückzähler"),
       lo=0, hi=99999999, default=1000)
option_param(128, ("Telrichting stukteller", "Piece counter direction", "Zählrichtung Stückzähler"),
             [("Optellen", "Up", "Aufwärts"), ("Aftellen", "Down", "Abwärts")])
option_param(129, ("Reset bij bereiken", "Reset when reached", "Rücksetzen bei Erreichen"), NO_YES, default=1)
define(130, ("Pulsduur stukteller (ms)", "Piece counter pulse (ms)", "Impulsdauer Stückzähler (ms)"),
       lo=1, hi=10000, default=100)
option_param(131, ("Telstand behouden bij uitval", "Keep count at power loss",
                   "Zählerstand bei Netzausfall halten"), NO_YES, default=1)

# --- service -----------------------------------------------------------------------------------
define(132, ("Bedrijfsuren", "Operating hours", "Betriebsstunden"), lo=0, hi=99999999)
define(133, ("Opstartvertraging (ms)", "Start-up delay (ms)", "Anlaufverzögerung (ms)"), lo=0, hi=10000)
option_param(134, ("Simulatiemodus", "Simulation mode", "Simulationsmodus"), OFF_ON)
define(135, ("Simulatiesnelheid", "Simulation speed", "Simulationsgeschwindigkeit"),
       dec=POS, lo=POS_MIN, hi=POS_MAX, default=100)
option_param(136, ("Uitgangstest", "Output test", "Ausgangstest"),
             [("Uit", "Off", "Aus")]
             + [(f"Uitgang {m}", f"Output {m}", f"Ausgang {m}") for m in range(1, OUTPUTS + 1)]
             + [("Alle uitgangen", "All outputs", "Alle Ausgänge")])
option_param(137, ("Functie status-LED", "Status LED function", "Funktion Status-LED"),
             [("Status", "Status", "Status"), ("Fout", "Error", "Fehler"),
              ("Communicatie", "Communication", "Kommunikation")])
define(138, ("Servicecode", "Service code", "Servicecode"), lo=0, hi=9999)
define(139, ("Serienummer", "Serial number", "Seriennummer"), lo=0, hi=99999999)
define(398, ("Parametersetnummer", "Parameter set number", "Parametersatznummer"), lo=0, hi=9999)
define(399, ("Klantcode", "Customer code", "Kundencode"), lo=0, hi=99999999)

# --- linearisation points ----------------------------------------------------------------------
for k in range(1, POINTS + 1):
    # A fresh unit holds the identity line through (0, 0) and (1000,0, 1000,0).
    define(139 + k, (f"X punt {k}", f"X point {k}", f"X Punkt {k}"), dec=POS, lo=POS_MIN, hi=POS_MAX,
           default=10000 if k == 2 else 0)
    define(169 + k, (f"Y punt {k}", f"Y point {k}", f"Y Punkt {k}"), dec=LINPOS, lo=POS_MIN, hi=POS_MAX,
           default=10000 if k == 2 else 0)

# --- position measurement ----------------------------------------------------------------------
# Input K0: hold or reset (200 = 1, 2), otherwise the fine reference of an incremental encoder
# (212 on, 201 = 0 or 2), otherwise the SSI adjustment (201 = 1, 218 = 1, 2 or 4).
option_param(200, ("Functie ingang K0", "Function of input K0", "Funktion Eingang K0"),
             [("Referentie", "Reference", "Referenz"), ("Hold", "Hold", "Halten"), ("Reset", "Reset", "Reset")])
option_param(201, ("Encodertype", "Encoder type", "Gebertyp"),
             [("Incrementeel A/B", "Incremental A/B", "Inkremental A/B"),
              ("SSI absoluut", "SSI absolute", "SSI absolut"),
              ("Puls/richting", "Pulse/direction", "Impuls/Richtung")])
option_param(202, ("Telrichting", "Counting direction", "Zählrichtung"),
             [("Normaal", "Normal", "Normal"), ("Omgekeerd", "Reversed", "Umgekehrt")])
define(203, ("Decimalen positie", "Position decimals", "Nachkommastellen Position"), lo=0, hi=6, default=1)
define(204, ("Pulsen per omwenteling", "Pulses per revolution", "Impulse pro Umdrehung"),
       lo=1, hi=1000000, default=1000)
define(205, ("Schaalfactor teller", "Scaling numerator", "Skalierung Zähler"), lo=1, hi=1000000, default=3600)
define(206, ("Schaalfactor noemer", "Scaling denominator", "Skalierung Nenner"), lo=1, hi=1000000, default=4000)
define(207, ("Positie-offset", "Position offset", "Positionsoffset"), dec=POS, lo=POS_MIN, hi=POS_MAX)
define(208, ("Cycluslengte", "Cycle length", "Zykluslänge"), dec=POS, lo=0, hi=POS_MAX, default=3600)
option_param(209, ("Positiebereik", "Position range", "Positionsbereich"),
             [("Roterend", "Rotary", "Rundachse"), ("Lineair", "Linear", "Linear")])
define(210, ("Presetwaarde", "Preset value", "Presetwert"), dec=POS, lo=POS_MIN, hi=POS_MAX)
define(211, ("Referentiewaarde", "Reference value", "Referenzwert"), dec=POS, lo=POS_MIN, hi=POS_MAX)
option_param(212, ("Fijnreferentie", "Fine reference", "Feinreferenz"),
             [("Uit", "Off", "Aus"), ("Met nulpuls", "With index pulse", "Mit Nullimpuls"),
              ("Zonder nulpuls", "Without index pulse", "Ohne Nullimpuls")])
define(213, ("SSI databits", "SSI data bits", "SSI-Datenbits"), lo=8, hi=32, default=25)
option_param(214, ("SSI code", "SSI code", "SSI-Code"),
             [("Binair", "Binary", "Binär"), ("Gray", "Gray", "Gray")], default=1)
option_param(215, ("SSI klokfrequentie", "SSI clock rate", "SSI-Taktfrequenz"),
             [(f, f, f) for f in ("100 kHz", "200 kHz", "500 kHz", "1 MHz")], default=2)
define(216, ("SSI foutbit (0 = geen)", "SSI error bit (0 = none)", "SSI-Fehlerbit (0 = keins)"), lo=0, hi=32)
define(217, ("SSI justagewaarde", "SSI adjustment value", "SSI-Justagewert"), dec=POS, lo=POS_MIN, hi=POS_MAX)
option_param(218, ("SSI justage", "SSI adjustment", "SSI-Justage"),
             [("Geen", "None", "Keine"), ("Via K0 (flank)", "By K0 (edge)", "Über K0 (Flanke)"),
              ("Via K0 (niveau)", "By K0 (level)", "Über K0 (Pegel)"),
              ("Alleen via commando", "By command only", "Nur über Befehl"),
              ("Via K0 en commando", "By K0 and command", "Über K0 und Befehl")])
define(219, ("Filter positie (ms)", "Position filter (ms)", "Positionsfilter (ms)"), lo=0, hi=100)

# --- speed -------------------------------------------------------------------------------------
option_param(220, ("Tijdbasis snelheid", "Speed time base", "Zeitbasis Geschwindigkeit"),
             [("Per seconde", "Per second", "Pro Sekunde"), ("Per minuut", "Per minute", "Pro Minute")], default=1)
define(221, ("Meettijd snelheid (ms)", "Speed measuring time (ms)", "Messzeit Geschwindigkeit (ms)"),
       lo=1, hi=1000, default=100)
define(222, ("Filter snelheid", "Speed filter", "Geschwindigkeitsfilter"), lo=0, hi=10, default=2)
define(223, ("Stilstandsgrens", "Standstill limit", "Stillstandsgrenze"), dec=POS, lo=0, hi=POS_MAX, default=10)
define(224, ("Snelheidsgrens", "Speed limit", "Geschwindigkeitsgrenze"), dec=POS, lo=0, hi=POS_MAX)

# --- thumbwheels and data interface -------------------------------------------------------------
define(225, ("Aantal duimwielen", "Number of thumbwheels", "Anzahl Daumenräder"), lo=0, hi=THUMBWHEELS)
define(226, ("Decaden per duimwiel", "Decades per thumbwheel", "Dekaden pro Daumenrad"), lo=1, hi=8, default=4)
option_param(227, ("Code duimwielen", "Thumbwheel code", "Daumenradcode"),
             [("BCD", "BCD", "BCD"), ("Binair", "Binary", "Binär")])
define(228, ("Scantijd duimwielen (ms)", "Thumbwheel scan time (ms)", "Abtastzeit Daumenräder (ms)"),
       lo=1, hi=100, default=10)
option_param(229, ("Tekendecade", "Sign decade", "Vorzeichendekade"), NO_YES)
option_param(230, ("Actief niveau duimwielen", "Thumbwheel active level", "Aktiver Pegel Daumenräder"),
             [("Hoog", "High", "High"), ("Laag", "Low", "Low")])
option_param(231, ("Overname duimwielen", "Thumbwheel take-over", "Übernahme Daumenräder"),
             [("Continu", "Continuous", "Kontinuierlich"), ("Via ingang", "By input", "Über Eingang")])
define(232, ("Offset duimwielen", "Thumbwheel offset", "Offset Daumenräder"), dec=POS, lo=POS_MIN, hi=POS_MAX)
option_param(376, ("Functie data-uitgang", "Data output function", "Funktion Datenausgang"),
             [("Positie", "Position", "Position"), ("Snelheid", "Speed", "Geschwindigkeit"),
              ("Gelineariseerde positie", "Linearised position", "Linearisierte Position"),
              ("Uitgangen", "Outputs", "Ausgänge"), ("Via seriële lijn", "By serial line", "Über serielle Leitung")])
option_param(377, ("Functie data-ingang", "Data input function", "Funktion Dateneingang"),
             [("Geen", "None", "Keine"), ("Presetwaarde", "Preset value", "Presetwert"),
              ("Programmakeuze", "Program selection", "Programmwahl")])
option_param(378, ("Dataformaat", "Data format", "Datenformat"),
             [("Binair", "Binary", "Binär"), ("BCD", "BCD", "BCD"), ("Gray", "Gray", "Gray")])
define(379, ("Strobetijd data (ms)", "Data strobe time (ms)", "Strobezeit Daten (ms)"), lo=0, hi=1000, default=10)

# --- inputs ------------------------------------------------------------------------------------
POLARITY_IN = [("Actief hoog", "Active high", "Aktiv high"), ("Actief laag", "Active low", "Aktiv low")]
for i in range(1, INPUTS + 1):
    names = (f"Polariteit ingang {i}", f"Polarity input {i}", f"Polarität Eingang {i}")
    if i == 1:
        option_param(233, names, POLARITY_IN)
    else:
        ref_param(232 + i, names, 233, len(POLARITY_IN))
define(239, ("Filtertijd ingangen (ms)", "Input filter time (ms)", "Eingangsfilterzeit (ms)"), lo=0, hi=100, default=5)
define(255, ("Filtertijd ingang K0 (µs)", "Input K0 filter time (µs)", "Filterzeit Eingang K0 (µs)"),
       lo=0, hi=10000, default=10)
INPUT_FUNCTIONS = [("Geen functie", "No function", "Keine Funktion"),
                   ("Nokken vrijgave", "Cam enable", "Nockenfreigabe"),
                   ("Preset positie", "Preset position", "Position setzen"),
                   ("Reset positie", "Reset position", "Position rücksetzen"),
                   ("Referentie starten", "Start reference", "Referenz starten"),
                   ("Telrichting omkeren", "Reverse counting", "Zählrichtung umkehren"),
                   ("Positie vasthouden", "Hold position", "Position halten"),
                   ("Fout resetten", "Reset error", "Fehler quittieren"),
                   ("Uitgangen blokkeren", "Block outputs", "Ausgänge sperren"),
                   ("Duimwielen inlezen", "Read thumbwheels", "Daumenräder einlesen"),
                   ("Programma bit 0", "Program bit 0", "Programm Bit 0"),
                   ("Programma bit 1", "Program bit 1", "Programm Bit 1"),
                   ("Programma bit 2", "Program bit 2", "Programm Bit 2"),
                   ("Teach-in aanvang", "Teach-in start", "Teach-in Anfang"),
                   ("Teach-in einde", "Teach-in end", "Teach-in Ende"),
                   ("Stukteller resetten", "Reset piece counter", "Stückzähler rücksetzen")]
INPUT_DEFAULTS = {1: 1, 2: 2, 3: 7}   # cam enable, preset, error reset; the others unused
for i in range(1, INPUTS + 1):
    names = (f"Functie ingang {i}", f"Function input {i}", f"Funktion Eingang {i}")
    if i == 1:
        option_param(249, names, INPUT_FUNCTIONS, default=INPUT_DEFAULTS[1])
    else:
        ref_param(248 + i, names, 249, len(INPUT_FUNCTIONS), default=INPUT_DEFAULTS.get(i, 0))

# --- linearisation -----------------------------------------------------------------------------
option_param(240, ("Controle X-volgorde", "Check X order", "X-Reihenfolge prüfen"), OFF_ON, default=1)
option_param(241, ("Mode linearisatie", "Linearisation mode", "Linearisierungsmodus"),
             [("Alleen kwadrant 1", "Quadrant 1 only", "Nur Quadrant 1"),
              ("Gespiegeld om Y-as", "Mirrored about Y axis", "Gespiegelt an Y-Achse"),
              ("Gespiegeld door oorsprong", "Mirrored through origin", "Gespiegelt am Ursprung")])
option_param(242, ("Interpolatie", "Interpolation", "Interpolation"),
             [("Lineair", "Linear", "Linear"), ("Trapsgewijs", "Stepwise", "Stufenförmig")])
option_param(243, ("Buiten bereik", "Outside range", "Außerhalb Bereich"),
             [("Begrenzen", "Limit", "Begrenzen"), ("Extrapoleren", "Extrapolate", "Extrapolieren")])
define(244, ("Offset gelin. positie", "Linearised position offset", "Offset lin. Position"),
       dec=LINPOS, lo=POS_MIN, hi=POS_MAX)
define(245, ("Filter gelin. positie (ms)", "Linearised position filter (ms)", "Filter lin. Position (ms)"),
       lo=0, hi=100)
option_param(246, ("Bron linearisatie", "Linearisation source", "Quelle Linearisierung"),
             [("Uit", "Off", "Aus"), ("Positie", "Position", "Position")])
define(247, ("Aantal punten", "Number of points", "Anzahl Punkte"), lo=0, hi=POINTS, default=2)
define(248, ("Decimalen gelin. positie", "Linearised position decimals", "Nachkommastellen lin. Position"),
       lo=0, hi=6, default=1)

# --- analogue output ---------------------------------------------------------------------------
option_param(380, ("Bron analoge uitgang", "Analogue output source", "Quelle Analogausgang"),
             [("Positie", "Position", "Position"), ("Snelheid", "Speed", "Geschwindigkeit"),
              ("Gelineariseerde positie", "Linearised position", "Linearisierte Position")], default=1)
define(381, ("Waarde bij minimum", "Value at minimum", "Wert bei Minimum"), dec=POS, lo=POS_MIN, hi=POS_MAX)
define(382, ("Waarde bij maximum", "Value at maximum", "Wert bei Maximum"), dec=POS, lo=POS_MIN, hi=POS_MAX,
       default=10000)
define(383, ("Minimale spanning (V)", "Minimum voltage (V)", "Minimale Spannung (V)"), dec=2, lo=-1000, hi=1000)
define(384, ("Maximale spanning (V)", "Maximum voltage (V)", "Maximale Spannung (V)"), dec=2, lo=-1000, hi=1000,
       default=1000)
define(385, ("Minimale stroom (mA)", "Minimum current (mA)", "Minimaler Strom (mA)"), dec=2, lo=0, hi=2000,
       default=400)
define(386, ("Maximale stroom (mA)", "Maximum current (mA)", "Maximaler Strom (mA)"), dec=2, lo=0, hi=2000,
       default=2000)
define(387, ("Filter analoge uitgang (ms)", "Analogue output filter (ms)", "Filter Analogausgang (ms)"),
       lo=0, hi=1000)
option_param(388, ("Analoge uitgang", "Analogue output", "Analogausgang"),
             [("Geen", "None", "Keiner"), ("Spanning", "Voltage", "Spannung"), ("Stroom", "Current", "Strom")],
             default=1)

assert sorted(params) == list(range(400)), sorted(set(range(400)) - set(params))

# --- menus -------------------------------------------------------------------------------------
# (captions nl/en/de, rows, submenus [(captions, rows)]); menu 9 holds the cams, which the
# editor's "Wissen" button clears.
def cam_rows(c):
    return [255 + c, 279 + c, 303 + c, 6 + c, 327 + c, 30 + c, 54 + c, 351 + c]


def point_rows(first, last):
    rows = []
    for k in range(first, last + 1):
        rows += [139 + k, 169 + k]
    return rows


MENUS = [
    (("Algemeen", "General", "Allgemein"), list(range(0, 7)), []),
    (("Positiemeting", "Position measurement", "Positionserfassung"),
     [201, 202, 203, 204, 205, 206, 207, 208, 209, 219],
     [(("SSI", "SSI", "SSI"), [213, 214, 215, 216, 217, 218]),
      (("Referentie", "Reference", "Referenz"), [200, 210, 211, 212])]),
    (("Snelheid", "Speed", "Geschwindigkeit"), list(range(220, 225)), []),
    (("Ingangen", "Inputs", "Eingänge"), list(range(249, 255)) + list(range(233, 239)) + [239, 255], []),
    (("Uitgangen", "Outputs", "Ausgänge"), list(range(389, 398)),
     [(("Vervroeging", "Advance", "Vorhalt"), list(range(94, 103))),
      (("Polariteit", "Polarity", "Polarität"), list(range(103, 112))),
      (("Minimale aantijd", "Minimum on-time", "Mindesteinschaltzeit"), list(range(79, 88)))]),
    (("Analoge uitgang", "Analogue output", "Analogausgang"), [388] + list(range(380, 388)), []),
    (("Linearisatie", "Linearisation", "Linearisierung"), [246, 241, 247, 248, 242, 243, 244, 245, 240],
     [((f"Punten {a}-{b}", f"Points {a}-{b}", f"Punkte {a}-{b}"), point_rows(a, b))
      for a, b in ((1, 9), (10, 18), (19, 27), (28, 30))]),
    (("Duimwielen en data", "Thumbwheels and data", "Daumenräder und Daten"),
     list(range(225, 233)) + list(range(376, 380)), []),
    (("Nokken", "Cams", "Nocken"), list(range(112, 120)),
     [((f"Nok {c}", f"Cam {c}", f"Nocke {c}"), cam_rows(c)) for c in range(1, CAMS + 1)]),
    (("Bewaking", "Monitoring", "Überwachung"), list(range(88, 94)) + list(range(120, 126)), []),
    (("Stukteller", "Piece counter", "Stückzähler"), list(range(126, 132)), []),
    (("Service", "Service", "Service"), list(range(132, 140)) + [398, 399], []),
]
ROOT_CAPTION = ("KM40 parameters", "KM40 parameters", "KM40 Parameter")

placed = []
for _, rows, subs in MENUS:
    placed += rows
    for _, subrows in subs:
        placed += subrows
assert sorted(placed) == list(range(400)), "every parameter appears in exactly one menu row"
assert MENUS[8][0][0] == "Nokken"
for _, rows, subs in MENUS:
    assert len(rows) <= 18 and all(len(r) <= 18 for _, r in subs)


# --- writers -----------------------------------------------------------------------------------
def comma_text(entries):
    out = []
    for e in entries:
        if any(ch <= " " or ch in ',"' for ch in e):
            e = '"' + e.replace('"', '""') + '"'
        out.append(e)
    return ",".join(out)


def write(path, lines):
    text = "\r\n".join(lines) + "\r\n"
    (ROOT / path).write_bytes(text.encode("cp1252"))


def catalogue_lines():
    lines = ["; KM4x parameter catalogue: one section per parameter (000..399).",
             "; naam0..2 name (Dutch, English, German); type 0 number, 1 option list;",
             "; opties0..2 option lists (comma text, \"#nnn\" borrows the list of parameter nnn);",
             "; dec decimals (9 = as parameter 203, 10 = as parameter 248); min, max, default raw values.",
             ""]
    for n in range(400):
        p = params[n]
        lines.append(f"[{n:03d}]")
        for lang in range(3):
            lines.append(f"naam{lang}={p['names'][lang]}")
        lines.append(f"type={p['type']}")
        if p["type"] == 1:
            for lang in range(3):
                if p["ref"] is not None:
                    lines.append(f"opties{lang}=#{p['ref']:03d}")
                else:
                    lines.append(f"opties{lang}=" + comma_text([o[lang] for o in p["options"]]))
        lines.append(f"dec={p['dec']}")
        lines.append(f"min={p['lo']}")
        lines.append(f"max={p['hi']}")
        lines.append(f"default={p['default']}")
        lines.append("")
    return lines


def menu_map_lines():
    lines = ["; KM4x parameter menus: section = 100 x menu + submenu, ParId<row> = parameter of that row.", ""]

    def section(menu_id, rows):
        lines.append(f"[{menu_id}]")
        for r, n in enumerate(rows, start=1):
            lines.append(f"ParId{r}={n}")
        lines.append("")

    for m, (_, rows, subs) in enumerate(MENUS, start=1):
        section(100 * m, rows)
        for s, (_, subrows) in enumerate(subs, start=1):
            section(100 * m + s, subrows)
    return lines


def tree_lines(lang):
    lines = [ROOT_CAPTION[lang]]
    for captions, _, subs in MENUS:
        lines.append("\t" + captions[lang])
        for subcaptions, _ in subs:
            lines.append("\t\t" + subcaptions[lang])
    return lines


def write_factory_defaults():
    path = ROOT / "sim/lib/FactoryDefaults.cpp"
    source = path.read_text()
    rows = []
    for first in range(0, 400, 10):
        values = ", ".join(str(params[n]["default"]) for n in range(first, first + 10))
        rows.append(f"    {values}, // {first:3d}..{first + 9:3d}")
    table = "constexpr std::array<int32_t, ParameterCount> kParameters = {\n" + "\n".join(rows) + "\n};"
    new, count = re.subn(r"constexpr std::array<int32_t, ParameterCount> kParameters = \{.*?\n\};",
                         lambda _: table, source, flags=re.S)
    assert count == 1, "parameter table not found in FactoryDefaults.cpp"
    path.write_text(new)


write("data/Parameters.txt", catalogue_lines())
write("data/ParNo.txt", menu_map_lines())
for lang in range(3):
    write(f"data/Tree{lang}.txt", tree_lines(lang))
write_factory_defaults()
