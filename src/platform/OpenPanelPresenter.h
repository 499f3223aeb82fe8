#pragma once

#include "ImportFilePath.h"

// Runs a modal open panel. The GUI shows a file dialog; tests and the CLI
// answer from a script.
class OpenPanelPresenter
{
public:
    virtual ~OpenPanelPresenter() = default;
    // The chosen path, or a null string when the user cancelled.
    virtual QString runOpenPanel(const ImportFilePath::PanelRequest &request) = 0;
};
