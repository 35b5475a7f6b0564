#pragma once
// Reports a refused or failed file: the error box of the window's language section (caption
// Msg_ErrorCaption, text OpenMsg1..4) for the errors that have such a text, shown only with a
// language file; read and write failures and conversion errors go to the general error message,
// which names the file's problem in its own words.

#include <string>

#include "params/core/FileResult.h"

class Dialogs;
class QWidget;

// ItemLetter: "P" for parameter files, "S" for setpoint files, "" for backups.
void ReportFileError(const TFileResult& Result, const char* Section, const std::string& ItemLetter,
                     QWidget* Parent, Dialogs& Dialogs);
