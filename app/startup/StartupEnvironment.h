#pragma once

class QSettings;

// The start-up's steps that follow the program settings, each in its own group.

// Opens and closes the main database (group "Database", its path written back
// when missing) and the personal one ("MY"), registering both connections.
// A database that does not open is logged; the start-up goes on.
void testDatabases(QSettings& settings);

// Installs the application-wide HTTP proxy when group "Network" asks for one.
// The group is only read.
void applyNetworkProxy(QSettings& settings);

// Hands the terrain folder and the station position of group "DEM" to the
// station service. The group is written back as a whole, and only when its
// "path" is missing.
void loadStationAndTerrain(QSettings& settings);
