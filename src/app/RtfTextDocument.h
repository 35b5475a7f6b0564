#pragma once
// Rich text read by the help pages' reader, laid out in a Qt text document.

#include "app/core/RtfReader.h"

class QTextDocument;

void FillTextDocument(QTextDocument& Document, const TRtfDocument& Rtf);
