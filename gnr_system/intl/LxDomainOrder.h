// The order of translation catalogs by their names, and how a lookup domain
// picks the catalog closest to it.
//
// Catalog names and domains are paths that contain "qvx\" (a catalog
// "qvx\gnr_picture\lut", a domain "qvx\gnr_picture\lut\SLxLut" that ends in
// the caller's file name); '/' counts as '\' everywhere, and letters are
// compared without regard to case (ASCII).
#pragma once

// Compares the catalog name with text, which is another catalog's name or,
// with textIsDomain, a lookup domain (whose last part, the file name, does
// not count). The part of text from "qvx\" on is taken. A name with fewer
// separators sorts first; names of equal depth compare as texts. Negative:
// name sorts before text; 0: equal; positive: after it, also when either is
// empty or text holds no "qvx\".
int LX_CompareDomain(const char* name, const char* text, bool textIsDomain);
