// Precompiled for each test program: the libraries' headers and the test frame.
#include "Library.h"

#include <gtest/gtest.h>

#ifdef QT_TESTLIB_LIB
#include <QSignalSpy>
#include <QTest>
#endif
