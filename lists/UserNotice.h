#pragma once

#include <QString>

class QWidget;

// A message the user must read, shown without blocking the caller: the box is
// window-modal over parent (application-modal without one) and deletes itself
// once closed. The caller returns at once, so no event loop of the box can
// re-enter the slot that opened it.
namespace UserNotice {

// A warning titled "Tarnx" with one OK button.
void show(QWidget* parent, const QString& text);

} // namespace UserNotice
