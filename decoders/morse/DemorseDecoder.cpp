#include "decoders/morse/DemorseDecoder.h"

#include "engine/SampleFifo.h"

#include <QDebug>

#include <cstdio>
#include <cstdlib>

DemorseDecoder::DemorseDecoder(SampleFifo* in, QObject* parent) : QThread(parent), input(in)
{
    setObjectName(QStringLiteral("Demorse"));
}

DemorseDecoder::~DemorseDecoder()
{
    requestStop();
    wait();
}

void DemorseDecoder::setSpeedAdaptation(bool on)
{
    decoder.keying().adaptiveSpeed = on;
}

void DemorseDecoder::run()
{
    qDebug() << "DemorseDecoder::run()";
    const auto out = [this](char c) { print(c); };
    while (!stopRequested) {
        int count = 0;
        void* block = input->dequeue(&count, 0, nullptr, true);
        if (!block)
            continue; // the queue waited its 10 ms
        decoder.feed(static_cast<const int16_t*>(block), count, out);
        std::free(block);
    }
}

void DemorseDecoder::print(char c)
{
    if (breakLines && c == ' ' && column >= lineWidth) {
        std::printf("\n");
        column = 0;
    } else {
        std::printf("%c", c);
        ++column;
    }
    std::fflush(stdout);
    emit SIG_characterDecoded(QChar::fromLatin1(c));
}
