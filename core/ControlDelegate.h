#pragma once
// What a control needs of the plug-in: its bound parameter's description, and
// a way to hand a user edit over. The editor delegate implements it.

namespace tolvane {

class Param;

class IControlDelegate {
public:
    virtual ~IControlDelegate() = default;
    // nullptr when the index is outside the parameter list.
    virtual Param* GetParam(int index) = 0;
    virtual const Param* GetParam(int index) const = 0;
    virtual void BeginUserGesture(int /*index*/) {}
    virtual void EndUserGesture(int /*index*/) {}
    // A control moved by the user: set the parameter and run the change hook.
    virtual void ParamChangeFromControl(int index, double normalised) = 0;
};

} // namespace tolvane
