#include "engine/plugins/MemoryManagerPlugin.h"

#include <QTextEdit>
#include <QVBoxLayout>

MemoryManagerPlugin::MemoryManagerPlugin()
{
    name = QStringLiteral("test");
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(48, 48, 48));
    setPalette(palette);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignLeft);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* text = new QTextEdit(this);
    text->setText(QStringLiteral("Hello, world!"));
    text->append(QStringLiteral("Appending some text\u2026"));
    layout->addWidget(text);
}
