// The decoder's lookup tables in its work area, built from the format's
// code tables (implode_tables.cpp) once a stream's header is read.
#pragma once
#include "implode.h"

// Length codes; after dictionary_bits is known: the entries hold the low
// distance bits.
void ImplodeBuildLengthTable(ImplodeWorkArea *work);
void ImplodeBuildDistanceTable(ImplodeWorkArea *work);
// Text literals: codes of up to 8 bits found directly, longer ones in a
// second lookup.
void ImplodeBuildTextTables(ImplodeWorkArea *work);
