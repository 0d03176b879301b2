#pragma once

#include <QString>

// The recorders' elapsed time on the "counter" plug-in, called by name from
// their threads: each call runs later in the GUI thread.
namespace CounterDisplay {

void setLegend(const QString& text);
void setValue(int seconds);
void hide();

} // namespace CounterDisplay
