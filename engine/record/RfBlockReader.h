#pragma once

#include "engine/record/RfFormat.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <vector>

// Reads the blocks of one raw-RF file in order and checks each header before
// anything is sized or divided from it. Input is untrusted: a file that is
// cut short or corrupted ends the reading with a message, never with a read
// or an allocation beyond what the file holds.
class RfBlockReader
{
public:
    enum Status {
        Block,      // a block was read
        EndOfFile,  // the file ends after a whole block
        EndOfPart,  // a trailer: the recording continues in the next numbered file
        EmptyBlock, // a block without samples ends the recording
        Error,      // cut short or corrupted: see message()
    };

    // The file stays the caller's; the reader starts at its current position.
    explicit RfBlockReader(FILE* file);

    // Reads the next block. On Block, *samples is a malloc'd array of
    // header->sample_count complex samples (I then Q, floats) that the caller
    // frees; otherwise *samples is null and message() says why reading stopped.
    Status next(RfBlockHeader* header, float** samples);

    QString message() const { return m_message; }

    // Descriptive fields found out of their range since the last call, each
    // field named once per file; the blocks carry them as 0 ("unknown").
    QStringList takeMetadataWarnings();

    // Reads the header fields one by one in file order: 1 when all were read,
    // 0 without file or header, -1 at the first field cut short, whose name
    // goes to *failedField.
    static int readHeader(RfBlockHeader* header, FILE* file, QString* failedField = nullptr);

private:
    // Ends the reading at the end of the file or at a trailer; otherwise
    // leaves the file at the block start and returns Block.
    Status readTrailer();
    qint64 bytesLeft() const;
    Status fail(const QString& message);
    void noteOutOfRangeMetadata(RfBlockHeader* header);

    FILE* m_file;
    qint64 m_fileSize = -1;     // unknown for a stream that cannot seek
    std::vector<uint8_t> m_raw; // the stored samples of the last block, reused
    QString m_message;
    QSet<QString> m_reportedFields;
    QStringList m_metadataWarnings;
};
