#include "ui/widgets/IndicatorPanel.h"

#include "core/ProgramSettings.h"
#include "core/QLogger.h"
#include "ui/widgets/IndicatorWidget.h"

#include <QGridLayout>
#include <QSettings>

namespace {

// An indicator name is also the name of its settings group: a separator would
// nest groups, so such a name is refused.
bool usableName(const QString& name)
{
    return !name.isEmpty() && !name.contains('/') && !name.contains('\\');
}

} // namespace

IndicatorPanel::IndicatorPanel(QWidget* parent) : QWidget(parent)
{
    readSettings();
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    for (int n = 0; n < count; ++n) {
        const QString name = namesByIndex.value(n);
        if (!usableName(name)) {
            if (!name.isEmpty())
                QLogger::logError(LogModule,
                                  QString("IndicatorPanel: indicator name \"%1\" refused").arg(name));
            continue;
        }
        auto* dial = new IndicatorWidget(n, name, this);
        grid->addWidget(dial, gridRow, gridColumn, 1, 1);
        if (++gridColumn > 1) {
            gridColumn = 0;
            ++gridRow;
        }
        dialsByIndex.insert(n, dial);
        dialsByName.insert(name, dial);
    }
}

void IndicatorPanel::readSettings()
{
    auto settings = ProgramSettings::open();
    settings->beginGroup("Indicators");
    if (!settings->contains("count")) {
        // First start: an example the operator can switch on by raising the count.
        settings->setValue("count", 0);
        settings->setValue("I0_Name", "example");
        return;
    }
    bool ok = false;
    const int configured = settings->value("count").toInt(&ok);
    if (!ok || configured < 0 || configured > MaxIndicators) {
        QLogger::logError(LogModule, QString("IndicatorPanel: indicator count \"%1\" refused (0 to %2)")
                                         .arg(settings->value("count").toString())
                                         .arg(MaxIndicators));
        return;
    }
    count = configured;
    for (int n = 0; n < count; ++n) {
        const QString key = QString("I%1_Name").arg(n);
        if (settings->contains(key))
            namesByIndex.insert(n, settings->value(key).toString());
    }
}

void IndicatorPanel::SLOT_updateIndicator(int indicator_code, int indicator_value)
{
    if (IndicatorWidget* dial = dialsByIndex.value(indicator_code))
        dial->SLOT_updateValue(indicator_value);
}

void IndicatorPanel::SLOT_updateIndicatorValue(QString name, double value)
{
    if (IndicatorWidget* dial = dialsByName.value(name))
        dial->SLOT_updateDValue(value);
}
