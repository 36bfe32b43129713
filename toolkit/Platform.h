#pragma once
// The questions the toolkit asks of the system: modal message boxes, file
// dialogs, and opening a web link. The program uses the Qt implementation;
// tests put in their own answers so no modal dialog ever opens.

#include "core/EditorSeam.h"

#include <string>

namespace tolvane {

class IPlatform {
public:
    virtual ~IPlatform() = default;
    // Modal; returns the pressed button.
    virtual AskResult AskUser(const std::string& text, const std::string& caption, AskButtons buttons) = 0;
    // Modal; empty when the user chose nothing. extension is without the dot.
    virtual std::string AskForFile(FileAction action, const std::string& extension,
                                   const std::string& directory, const std::string& proposedName) = 0;
    virtual bool IsOnline() const = 0;
    // False when the system could not hand the link to a browser.
    virtual bool OpenUrl(const std::string& url) = 0;
};

} // namespace tolvane
