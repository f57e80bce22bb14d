// The evaluation tables, produced at build time by tools/generate_tables and
// assembled into the library's read-only data (tables_embed.S). They are
// complete before the first call and never written. Their declarations
// (osm_<name>, C linkage) are generated with them, from the generator's one list.
#pragma once

#include "tables/table_layout.h"
#include "table_list.h"
