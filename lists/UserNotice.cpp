#include "UserNotice.h"

#include <QMessageBox>

namespace UserNotice {

void show(QWidget* parent, const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tarnx"), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace UserNotice
