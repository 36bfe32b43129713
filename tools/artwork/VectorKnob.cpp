#include "tools/artwork/VectorKnob.h"

#include <QString>

namespace tolvane::art {

QByteArray VectorKnobSvg() {
    // Knurled ridges are 36 short strokes turned about the centre.
    QString ridges;
    for (int i = 0; i < 36; ++i)
        ridges +=
            QString("    <line x1=\"50\" y1=\"6\" x2=\"50\" y2=\"14\" transform=\"rotate(%1 50 50)\"/>\n")
                .arg(i * 10);
    const QString svg = QString(R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="100" height="100" viewBox="0 0 100 100">
  <defs>
    <radialGradient id="skirt" cx="50" cy="50" r="46" gradientUnits="userSpaceOnUse">
      <stop offset="0.7" stop-color="#4a4e55"/>
      <stop offset="1" stop-color="#1c1e21"/>
    </radialGradient>
    <linearGradient id="cap" x1="30" y1="18" x2="70" y2="82" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="#e4e6e9"/>
      <stop offset="0.5" stop-color="#9ea3a9"/>
      <stop offset="1" stop-color="#5c6168"/>
    </linearGradient>
  </defs>
  <circle cx="50" cy="50" r="46" fill="url(#skirt)" stroke="#0c0d0e" stroke-width="2"/>
  <g stroke="#8d939a" stroke-width="2.2" stroke-linecap="round">
%1  </g>
  <circle cx="50" cy="50" r="33" fill="url(#cap)" stroke="#2a2c30" stroke-width="1.5"/>
  <circle cx="50" cy="50" r="24" fill="none" stroke="#ffffff" stroke-opacity="0.18" stroke-width="1"/>
  <line x1="50" y1="42" x2="50" y2="10" stroke="#33ffff" stroke-width="6" stroke-linecap="round"/>
</svg>
)svg")
                            .arg(ridges);
    return svg.toUtf8();
}

} // namespace tolvane::art
