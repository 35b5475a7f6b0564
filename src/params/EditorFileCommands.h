#pragma once
// The Openen and Opslaan als commands of the parameter and setpoint editors: the file dialog of
// the editor's language section, the file taken over into (or saved from) the program-wide
// tables, and every refusal or failure reported. A refused file changes nothing.

class Dialogs;
class QWidget;

// True when a file was opened and its values taken over.
bool OpenParameterFileCommand(QWidget* Parent, Dialogs& Dialogs);
void SaveParameterFileCommand(QWidget* Parent, Dialogs& Dialogs);
bool OpenSetpointFileCommand(QWidget* Parent, Dialogs& Dialogs);
void SaveSetpointFileCommand(QWidget* Parent, Dialogs& Dialogs);
