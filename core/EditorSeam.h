#pragma once
// The device link's only way to the screen. The link never touches a control:
// it names controls by tag and sets of controls by group name, and asks the
// user through this interface. The program implements it over the toolkit;
// tests implement it by recording every call.
//
// Texts and group names come as views: a caller on the clock thread passes
// characters it holds (a literal, a fixed buffer) and nothing is allocated
// on the way; the queued seam copies them into its own fixed entries.

#include <string>
#include <string_view>

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

    virtual void SetTextByTag(ControlTag tag, std::string_view text) = 0;
    virtual void SetTextColourByTag(ControlTag tag, Colour colour) = 0;
    // Normalised 0..1; the control takes it without notifying anyone.
    virtual void SetControlValueByTag(ControlTag tag, double normalised) = 0;

    virtual void ShowGroup(std::string_view group) = 0;
    virtual void HideGroup(std::string_view group) = 0;
    virtual void EnableGroup(std::string_view group) = 0;
    virtual void DisableGroup(std::string_view group) = 0;

    // Modal; the answer is known when the call returns.
    virtual AskResult AskUser(std::string_view text, std::string_view caption, AskButtons buttons) = 0;
    // Modal file question; an empty result means the user chose nothing.
    // extension is without the dot ("wav"); directory and proposedName may be empty.
    virtual std::string AskForFile(FileAction action, const std::string& extension, const std::string& directory,
                                   const std::string& proposedName) = 0;
};

} // namespace tolvane
