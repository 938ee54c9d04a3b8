// The configuration a log-in or sign-up fetches: its record sets written to the files the client reads at start.
#pragma once

class CDataSet;

// Writes sys.menu to Menus and sys.conf to config (other sets are passed over). False when a set is an error, the
// menu or configuration has no rows, or a file could not be written whole: such a reply is no configuration received.
bool StoreConfigSets(CDataSet* const* sets, int count);
