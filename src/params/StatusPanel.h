#pragma once
// Panel1 of the read, write and loader windows: a text made of held language texts and literal
// parts, in red for errors and in the normal text colour otherwise.

#include <QString>

#include <span>
#include <string>

#include "params/core/TransferView.h"

class QLabel;

// HeldTexts[n] is PanelTekst<n> (Latin-1; an empty text where none is held).
QString StatusPanelText(const TPanelText& Panel, std::span<const std::string> HeldTexts);

void ShowStatusPanel(QLabel& Panel, const QString& Text, bool Red);
