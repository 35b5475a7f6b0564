#pragma once
// The values of application.ini that are not port settings. Windows read and change the fields
// directly; the main window writes them to the file when the program ends. Fields are named after
// their keys; the two keys that occur in two sections carry the section as prefix.

#include <string>

struct TProgramSettings {
  // [Algemeen]
  std::string OpenCloseDialoogPath;  // start directory of the parameter/setpoint file dialogs
  // [Afdrukken]: header lines of the printouts
  std::string Firma;
  std::string Type;
  std::string Sn;
  // [Grafiek]: live graph choices (list indexes)
  int X_Div = 0;     // time scale 0..GrafiekXDivMax
  int Y_Div = 0;     // value scale 0..GrafiekYDivMax
  int BronItem = 0;  // source 0..GrafiekBronMax
  bool Grafiek_X_hulplijn = false;
  bool Grafiek_Y_hulplijn = false;
  // [Linearisatie]: linearisation editor choices
  bool Linearisatie_X_hulplijn = false;
  bool Linearisatie_Y_hulplijn = false;
  int PuntGrootte = 0;  // dot radius 0..PuntGrootteMax; 0 when no file, 1 when key missing
};

// Ranges of the list indexes and the dot size. A stored value outside them is read as the key's
// default, so a window never selects past the end of its list.
constexpr int GrafiekXDivMax = 5;     // 200 ms .. 10 sec
constexpr int GrafiekYDivMax = 20;    // 100 .. 200000000 per division
constexpr int GrafiekBronMax = 4;     // position, speed, linear position, voltage, current
constexpr int PuntGrootteMax = 10;    // the dot size spin box's range
