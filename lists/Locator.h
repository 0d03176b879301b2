#pragma once

#include <QString>

// Centre of a Maidenhead locator square through Hamlib. False (and the outputs
// untouched) when Hamlib refuses the locator.
bool locatorToLongLat(const QString& locator, double* longitude, double* latitude);
