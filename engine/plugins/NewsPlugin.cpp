#include "engine/plugins/NewsPlugin.h"

#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

NewsPlugin::NewsPlugin(int hideDelayMs) : m_hideDelayMs(hideDelayMs)
{
    name = QStringLiteral("news");
    title = tr("Actualites");

    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignLeft);
    layout->setContentsMargins(0, 0, 0, 0);

    m_browser = new QTextBrowser(this);
    m_browser->setReadOnly(true);
    m_browser->setOpenExternalLinks(false);
    m_browser->setOpenLinks(false);
    layout->addWidget(m_browser);

    auto* clearButton = new QPushButton(tr("Effacer"), this);
    clearButton->setToolTip(tr("Effacer les news"));
    layout->addWidget(clearButton);
    connect(clearButton, &QPushButton::pressed, this, &NewsPlugin::clear);

    connect(&m_hideTimer, &QTimer::timeout, this, &NewsPlugin::hidePanel);
    m_hideTimer.setSingleShot(true);
    m_hideTimer.start(m_hideDelayMs);
}

QString NewsPlugin::html() const
{
    return m_browser->toHtml();
}

void NewsPlugin::addNews(QString text)
{
    m_browser->append(QStringLiteral("<p>") + text + QStringLiteral("</p>"));
    show();
    m_hideTimer.start(m_hideDelayMs);
}

void NewsPlugin::hidePanel()
{
    hide();
}

void NewsPlugin::clear()
{
    m_browser->clear();
}
