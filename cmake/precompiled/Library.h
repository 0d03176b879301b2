// Precompiled once per library and test program (cmake/Precompiled.cmake):
// headers that most of their files include anyway. Only system and Qt headers,
// which mean the same wherever they come first; Qt's are those of the modules
// the target links (Qt's own QT_<module>_LIB definitions).
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#ifdef QT_CORE_LIB
#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <QVector>
#endif
#ifdef QT_GUI_LIB
#include <QColor>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#endif
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>
#endif
