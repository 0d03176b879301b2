#include "engine/record/RecordingFiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

namespace RecordingFiles {

QString stamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("ddMMyyyy_hhmmss"));
}

QString path(qint64 frequencyHz, const QString& stamp, const QString& ending)
{
    return QStringLiteral("./record/RX_") + QString::number(double(frequencyHz) / 1e6, 'f', 3) +
           QStringLiteral("_") + stamp + ending;
}

FILE* open(const QString& path, const char* mode)
{
    return std::fopen(QFile::encodeName(path).constData(), mode);
}

QString cannotCreateText(const QString& path)
{
    return QCoreApplication::translate("RecordingFiles",
                                       "Enregistrement impossible : le fichier %1 ne peut pas etre cree. "
                                       "Le dossier \"record\" doit exister dans le dossier de travail.")
        .arg(path);
}

QString writeErrorText(const QString& path)
{
    return QCoreApplication::translate("RecordingFiles",
                                       "Erreur d'ecriture dans %1 (disque plein ?) : l'enregistrement "
                                       "s'est arrete, le fichier contient ce qui precede.")
        .arg(path);
}

} // namespace RecordingFiles
