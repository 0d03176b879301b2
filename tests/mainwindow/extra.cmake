# The window's bookmark tests read a small real main database.
target_sources(test_mainwindow PRIVATE ${PROJECT_SOURCE_DIR}/tests/lists/SqliteFile.cpp)
target_include_directories(test_mainwindow PRIVATE ${PROJECT_SOURCE_DIR}/tests/lists)
