// The evaluation tables, produced at build time by tools/generate_tables and
// assembled into the library's read-only data (tables_embed.S). They are
// complete before the first call and never written. They are members of one
// object, osm_tables, so that an evaluation reaches all of them from one base
// address; each is also named osm_<name>. The declarations are generated with
// the tables, from the generator's one list.
#pragma once

#include "tables/table_layout.h"
#include "table_list.h"
