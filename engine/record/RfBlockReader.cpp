#include "engine/record/RfBlockReader.h"

#include <QDebug>

#include <cstdlib>

RfBlockReader::RfBlockReader(FILE* file) : m_file(file)
{
    if (m_file == nullptr)
        return;
    long start = std::ftell(m_file);
    if (start >= 0 && std::fseek(m_file, 0, SEEK_END) == 0) {
        long end = std::ftell(m_file);
        if (end >= 0)
            m_fileSize = end;
        std::fseek(m_file, start, SEEK_SET);
    }
}

int RfBlockReader::readHeader(RfBlockHeader* header, FILE* file, QString* failedField)
{
    if (header == nullptr || file == nullptr)
        return 0;
    uint8_t bytes[RfFormat::HeaderSize];
    int offset = 0;
    for (int i = 0; i < RfFormat::HeaderFieldCount; ++i) {
        const RfFormat::HeaderField& field = RfFormat::headerFields[i];
        if (std::fread(bytes + offset, 1, size_t(field.width), file) != size_t(field.width)) {
            qDebug() << "SDRFileReader::readHeader error reading header->" << field.name;
            if (failedField)
                *failedField = QLatin1String(field.name);
            return -1;
        }
        offset += field.width;
    }
    *header = RfFormat::decodeHeader(bytes);
    return 1;
}

qint64 RfBlockReader::bytesLeft() const
{
    if (m_fileSize < 0)
        return -1;
    long position = std::ftell(m_file);
    return position < 0 ? -1 : m_fileSize - position;
}

RfBlockReader::Status RfBlockReader::fail(const QString& message)
{
    m_message = message;
    return Error;
}

void RfBlockReader::noteOutOfRangeMetadata(RfBlockHeader* header)
{
    for (const RfFormat::OutOfRangeField& field : RfFormat::clearOutOfRangeMetadata(header)) {
        const QString name = QLatin1String(field.name);
        if (m_reportedFields.contains(name))
            continue;
        m_reportedFields.insert(name);
        m_metadataWarnings << QStringLiteral("%1 %2 is out of its range: played as unknown (0)")
                                  .arg(name)
                                  .arg(field.value);
    }
}

QStringList RfBlockReader::takeMetadataWarnings()
{
    QStringList warnings;
    warnings.swap(m_metadataWarnings);
    return warnings;
}

RfBlockReader::Status RfBlockReader::readTrailer()
{
    long blockStart = std::ftell(m_file);
    uint8_t bytes[RfFormat::TrailerSize];
    size_t got = std::fread(bytes, 1, 4, m_file);
    if (got == 0 && std::feof(m_file)) {
        m_message = QStringLiteral("end of file");
        return EndOfFile;
    }
    bool trailer = got == 4 && (bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24) ==
                                   uint32_t(RfFormat::TrailerBlock);
    if (!trailer) {
        // Not a trailer: the header is read again from its first byte.
        if (blockStart < 0 || std::fseek(m_file, blockStart, SEEK_SET) != 0)
            return fail(QStringLiteral("cannot go back to the block start"));
        return Block;
    }
    if (std::fread(bytes + 4, 1, RfFormat::TrailerSize - 4, m_file) != size_t(RfFormat::TrailerSize - 4))
        return fail(QStringLiteral("trailer block cut short: the file is truncated"));
    RfTrailerBlock t = RfFormat::decodeTrailerBody(bytes + 4);
    m_message = QStringLiteral("part %1 of the recording ends here; it continues in part %2")
                    .arg(t.file_number)
                    .arg(t.next_file_number);
    return EndOfPart;
}

RfBlockReader::Status RfBlockReader::next(RfBlockHeader* header, float** samples)
{
    *samples = nullptr;
    if (m_file == nullptr)
        return fail(QStringLiteral("no file"));

    Status ending = readTrailer();
    if (ending != Block)
        return ending;

    QString failedField;
    if (readHeader(header, m_file, &failedField) != 1)
        return fail(QStringLiteral("block header cut short at %1: the file is truncated").arg(failedField));

    QString problem = RfFormat::checkHeader(*header, bytesLeft());
    if (!problem.isEmpty())
        return fail(problem);
    noteOutOfRangeMetadata(header);
    if (header->sample_count == 0) {
        m_message = QStringLiteral("a block without samples ends the recording");
        return EmptyBlock;
    }

    const size_t count = size_t(header->sample_count);
    const size_t rawBytes = count * RfFormat::BytesPerSample;
    if (m_raw.size() != rawBytes)
        m_raw.resize(rawBytes);
    if (std::fread(m_raw.data(), 1, rawBytes, m_file) != rawBytes)
        return fail(QStringLiteral("samples cut short: the file is truncated"));

    auto* out = static_cast<float*>(std::malloc(count * 2 * sizeof(float)));
    if (out == nullptr)
        return fail(QStringLiteral("out of memory for %1 samples").arg(count));
    for (size_t i = 0; i < count; ++i)
        RfFormat::int16PairToFloat(&m_raw[i * RfFormat::BytesPerSample], &out[2 * i]);
    *samples = out;
    return Block;
}
