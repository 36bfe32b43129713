#pragma once
// The device link's only way to the screen. The link never touches a control:
// it names controls by tag and sets of controls by group name, and asks the
// user through this interface. The program implements it over the toolkit;
// tests implement it by recording every call.

#include <string>

namespace tolvane {

using ControlTag = int;

struct Colour {
    int a = 255, r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};

enum class AskButtons { Ok, OkCancel };
enum class AskResult { Ok = 1, Cancel = 2 };
enum class FileAction { Open, Save };

class IEditorSeam {
public:
    virtual ~IEditorSeam() = default;

    virtual bool IsEditorOpen() const = 0;

    virtual void SetTextByTag(ControlTag tag, const std::string& text) = 0;
    virtual void SetTextColourByTag(ControlTag tag, Colour colour) = 0;
    // Normalised 0..1; the control takes it without notifying anyone.
    virtual void SetControlValueByTag(ControlTag tag, double normalised) = 0;

    virtual void ShowGroup(const std::string& group) = 0;
    virtual void HideGroup(const std::string& group) = 0;
    virtual void EnableGroup(const std::string& group) = 0;
    virtual void DisableGroup(const std::string& group) = 0;

    // Modal; the answer is known when the call returns.
    virtual AskResult AskUser(const std::string& text, const std::string& caption, AskButtons buttons) = 0;
    // Modal file question; an empty result means the user chose nothing.
    // extension is without the dot ("wav"); directory and proposedName may be empty.
    virtual std::string AskForFile(FileAction action, const std::string& extension, const std::string& directory,
                                   const std::string& proposedName) = 0;
};

} // namespace tolvane
