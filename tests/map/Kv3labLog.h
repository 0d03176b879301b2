#pragma once

#include <QString>

// The "kv3lab" module's log, written to ./logs/kv3lab.log of the current folder
// (registered once per process, at Trace level).
void enableKv3labLog();
// The text of ./logs/kv3lab.log in the current folder (empty when missing).
QString kv3labLogText();
