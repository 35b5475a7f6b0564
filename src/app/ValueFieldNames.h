#pragma once
// Accessible names of the main window's value fields, so that a screen reader can tell position
// from speed: each field is named after the label beside it, or by a text of its own where no
// label stands beside it (status bar, error and terminal fields). In the current language.
class TFormMain;

void NameValueFields(TFormMain& Form);
