#pragma once
// A page using every control class, for the rendering test and the
// benchmarks. Parameters are those of FakeDelegate.

namespace tolvane {
class Canvas;
}

namespace tolvane::test {

// Needs the test images ("knob.png", "button.png", "handle.png") under the
// drawing context's image root. repeatRows adds rows of small knobs and texts
// (24 controls a row) to make a heavier page. Returns the control count.
int BuildTestPage(Canvas& ui, int repeatRows = 0);

} // namespace tolvane::test
