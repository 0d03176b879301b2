#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// The program's log as tests read it. The log module's lines go, at every
// level, to ./logs/vantor-sdr.log of the current folder (each test's working
// folder), where the start-up writes them too. The registration holds for the
// whole test program, so every test that reads the log calls capture() first.
namespace ProgramLog {

void capture();
// Also the lines of the module that has no file in the program (the map's tile
// sources), into the same file; their lines read "{Orvex}" where the others
// read the log module.
void captureUnfiled();
// The whole file of the current folder; empty when nothing was logged there.
QString text();
// Each line's level name and message (without its time and module).
using Line = std::pair<QString, QString>;
std::vector<Line> lines();
// The message of each line.
QStringList messages();

} // namespace ProgramLog
