#pragma once
// What a control needs of the plug-in: its bound parameter's description, and
// a way to hand a user edit over. The editor delegate implements it.

namespace tolvane {

class Param;

// What kind of user gesture the edits that follow belong to (EditHistory.h).
enum class GestureKind { Press, Wheel };

class IControlDelegate {
public:
    virtual ~IControlDelegate() = default;
    // nullptr when the index is outside the parameter list.
    virtual Param* GetParam(int index) = 0;
    virtual const Param* GetParam(int index) const = 0;
    // The drawing context brackets each press-to-release and each wheel
    // notch; source is the control that takes the input (never followed).
    virtual void BeginEditGesture(GestureKind /*kind*/, const void* /*source*/, double /*nowMs*/) {}
    virtual void EndEditGesture() {}
    // A control moved by the user: set the parameter and run the change hook.
    virtual void ParamChangeFromControl(int index, double normalised) = 0;
};

} // namespace tolvane
