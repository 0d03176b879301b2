#pragma once

#include "engine/plugins/OrvexPlugin.h"

#include <QTimer>

class QTextBrowser;

// "news": a text panel that shows itself on each news and hides itself a few
// seconds after the last one (and once after its creation).
class NewsPlugin : public OrvexPlugin
{
    Q_OBJECT
public:
    static constexpr int DefaultHideDelayMs = 5000;

    explicit NewsPlugin(int hideDelayMs = DefaultHideDelayMs);

    QString html() const;

private slots:
    // Appends the text as a paragraph, shows the panel and restarts the hide delay.
    void addNews(QString text);
    void hidePanel();
    void clear();

private:
    const int m_hideDelayMs;
    QTextBrowser* m_browser;
    QTimer m_hideTimer;
};
