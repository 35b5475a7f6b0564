#pragma once
// The open and save dialogs of the parameter, setpoint and backup files: they start in the settings'
// OpenCloseDialoogPath and store the chosen file's directory back into it. Filters are written as the
// language files hold them: "Text|*.ext" pairs joined by "|", several patterns separated by ";".

#include <QString>

#include <string>

class Dialogs;
class QWidget;

// "Backupbestanden (*.bak)|*.bak" -> "Backupbestanden (*.bak)"; "Text|*.a;*.b" -> "Text (*.a *.b)";
// a filter without "|" is a pattern list of its own ("*.bak").
QString QtFileFilter(const std::string& Filter);

// The chosen existing file, or empty when cancelled.
QString AskOpenFileName(Dialogs& Dialogs, QWidget* Parent, const std::string& Caption, const std::string& Filter);

// The chosen file; DefaultExtension (without dot) is added to a name without extension. Empty
// when cancelled. The dialog asks before an existing file is overwritten, and so does this
// function for an existing file whose name the added extension completes (No: choose again).
QString AskSaveFileName(Dialogs& Dialogs, QWidget* Parent, const std::string& Caption, const std::string& Filter,
                        const QString& DefaultExtension);

// A chosen path as the core's file functions take it, and back.
std::string LocalPath(const QString& Path);
QString DisplayPath(const std::string& Path);
