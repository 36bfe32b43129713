#pragma once
// One named, ranged value of the plug-in: its range, step and default, the
// mapping to and from the normalised 0..1 value the controls work with, and
// the text shown for a value.
//
// Sections
//   1. Kinds, unit and flags
//   2. Shapes (value <-> normalised)
//   3. Param: initialisation, values, display texts, display
//
// Only the value changes after construction, and it is atomic: the
// user-interface thread and the thread applying the pedal's values both write
// it. Everything else is written by the initialisers and read-only after.

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace tolvane {

// ---- 1. Kinds, unit and flags ---------------------------------------------

enum class ParamKind : int { None = 0, Bool = 1, Int = 2, Enum = 3, Double = 4 };

enum ParamFlags : int {
    kFlagStepped = 2,       // values snap to multiples of the step
    kFlagNegateDisplay = 4, // the value is shown negated
    kFlagSignDisplay = 8,   // a non-zero value is shown with its sign
};

// The one unit code every parameter of this program carries.
inline constexpr int kParamUnitCustom = 21;

// Name, label, group and each display text hold this many characters at most;
// longer texts are stored cut.
inline constexpr int kParamTextMax = 31;

class Param;

// Writes the text for a value; replaces the built-in display when set.
using ParamDisplayFunc = std::function<void(double value, std::string& text)>;

class Param {
public:
    using enum ParamFlags;

    // ---- 2. Shapes ---------------------------------------------------------

    class Shape {
    public:
        virtual ~Shape() = default;
        // The parameter keeps its own copy of the shape it is given.
        virtual std::unique_ptr<Shape> CopyShape() const = 0;
        virtual void BindToParam(const Param& param) = 0;
        virtual int DisplayKind() const = 0;
        virtual double ShapeToValue(double normal, const Param& param) const = 0;
        virtual double ShapeToNormal(double value, const Param& param) const = 0;
    };

    class ShapeLinear : public Shape {
    public:
        std::unique_ptr<Shape> CopyShape() const override;
        void BindToParam(const Param&) override {}
        int DisplayKind() const override { return 0; }
        double ShapeToValue(double normal, const Param& param) const override;
        double ShapeToNormal(double value, const Param& param) const override;
    };

    // ---- 3. Param ---------------------------------------------------------

    Param();
    Param(const Param&) = delete;
    Param& operator=(const Param&) = delete;

    // Integer: step 1, stepped; kind Int unless a kind was set before.
    void InitInt(const char* name, int defaultValue, int min, int max, const char* label = "", int flags = 0,
                 const char* group = "");
    // Enumeration 0..count-1, stepped; texts (when given) are the display texts
    // of 0, 1, 2... in order. Kind Enum unless a kind was set before.
    void InitEnum(const char* name, int defaultValue, int count, const char* label = "", int flags = 0,
                  const char* group = "", std::initializer_list<const char*> texts = {});
    // The plain initialiser the other two end in. Kind Double unless a kind was
    // set before. max is raised to min + step when it is below that.
    void InitDouble(const char* name, double defaultValue, double min, double max, double step,
                    const char* label = "", int flags = 0, const char* group = "",
                    const Shape& shape = ShapeLinear(), ParamDisplayFunc displayFunc = {});

    // Lets a constructor make, say, an integer parameter through the plain
    // initialiser. Only meaningful before initialisation.
    void SetKind(ParamKind kind) { kind_ = kind; }

    // Snaps to the step (halves away from zero) when stepped, then clamps.
    // NaN gives the minimum.
    double SnapAndClamp(double value) const;
    void SetValue(double value);
    double Value() const { return value_.load(std::memory_order_acquire); }
    // Truncated toward zero.
    int Int() const { return static_cast<int>(Value()); }

    // The normalised input is not clamped; the result is.
    double ValueFromNormal(double normal) const;
    // Clamped to 0..1.
    double NormalFromValue(double value) const;
    double GetNormalised() const { return NormalFromValue(Value()); }

    ParamKind Kind() const { return kind_; }
    int Unit() const { return unit_; }
    double Min() const { return min_; }
    double Max() const { return max_; }
    double Step() const { return step_; }
    double Default() const { return default_; }
    int Flags() const { return flags_; }
    int DisplayPrecision() const { return precision_; }
    bool IsStepped() const { return (flags_ & kFlagStepped) != 0; }
    const char* Name() const { return name_.c_str(); }
    const char* Label() const { return label_.c_str(); }
    const char* Group() const { return group_.c_str(); }
    const Shape& GetShape() const { return *shape_; }

    void AddDisplayText(double value, const char* text);
    // The text of the first record whose value is exactly this one, or nullptr.
    const char* DisplayTextFor(double value) const;
    int NDisplayTexts() const { return static_cast<int>(texts_.size()); }
    // nullptr outside 0..NDisplayTexts()-1.
    const char* DisplayTextAt(int index, double* value = nullptr) const;

    std::string GetDisplay(double value, bool useTexts = true) const;
    // Keeps GetDisplay(64) from being ambiguous between the two overloads.
    std::string GetDisplay(int value, bool useTexts = true) const {
        return GetDisplay(static_cast<double>(value), useTexts);
    }
    std::string GetDisplay(bool useTexts = true) const { return GetDisplay(Value(), useTexts); }
    // Empty when the current value has a non-empty display text, else the label.
    std::string LabelForDisplay() const;

private:
    struct DisplayText {
        double value;
        std::string text;
    };

    static_assert(std::atomic<double>::is_always_lock_free);

    ParamKind kind_ = ParamKind::None;
    int unit_ = kParamUnitCustom;
    std::atomic<double> value_{0.0};
    double min_ = 0.0;
    double max_ = 1.0;
    double step_ = 1.0;
    double default_ = 0.0;
    int precision_ = 0;
    int flags_ = 0;
    std::string name_;
    std::string label_;
    std::string group_;
    std::unique_ptr<Shape> shape_;
    ParamDisplayFunc displayFunc_;
    std::vector<DisplayText> texts_;
};

} // namespace tolvane
