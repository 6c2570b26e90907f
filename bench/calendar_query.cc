// The calendar check's query on a 200000-row calendar, against the least that
// libmdb itself needs to scan the same column, and against mdb-export of the
// table (what a program that shells out to mdbtools would pay).
#include <benchmark/benchmark.h>
#include <glib.h>
#include <mdbtools.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <limits>
#include <string>

#include "calendar/mADO.h"
#include "platform/linux/local_clock.h"
#include "platform/linux/mdb_database_engine.h"
#include "platform/platform.h"

extern char** environ;

namespace {

const std::string kDatabase =
    std::string(VIGILO_SOURCE_DIR) + "/testing/data/mdb/calendar-large.mdb";
constexpr const char* kQuery = "SELECT TOP 1 [Date] FROM tbCalenderData ORDER BY Date DESC";

// Open, query in mode 1 (the newest date as text), close: the check's path.
void CheckQuery(benchmark::State& state) {
  vigilo::MdbDatabaseEngine engine;
  vigilo::PosixRegionalSettings regional;
  vigilo::Platform services;
  services.databases = &engine;
  services.regional = &regional;
  vigilo::ScopedPlatform installed(services);
  for (auto _ : state) {
    auto connection = engine.createConnection();
    connection->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + kDatabase + ";");
    vigilo::Variant newest = vigilo::mADO::getResData(*connection, kQuery, 1, true);
    connection->Close();
    if (newest.toString().empty()) state.SkipWithError("no date read");
    benchmark::DoNotOptimize(newest);
  }
}

// Bare libmdb: open, find the table, fetch every row and keep the greatest
// raw date value, with no conversion at all.
void BareLibmdbScan(benchmark::State& state) {
  char table[] = "tbCalenderData";
  for (auto _ : state) {
    MdbHandle* mdb = mdb_open(kDatabase.c_str(), MDB_NOFLAGS);
    mdb_read_catalog(mdb, MDB_TABLE);
    MdbTableDef* def = mdb_read_table_by_name(mdb, table, MDB_TABLE);
    mdb_read_columns(def);
    MdbColumn* date = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, 1));
    mdb_rewind_table(def);
    double newest = -std::numeric_limits<double>::infinity();
    while (mdb_fetch_row(def))
      if (date->cur_value_len > 0)
        newest = std::max(newest, mdb_get_double(mdb->pg_buf, date->cur_value_start));
    mdb_free_tabledef(def);
    mdb_close(mdb);
    if (newest != 46718.0) state.SkipWithError("wrong newest date");
    benchmark::DoNotOptimize(newest);
  }
}

// libmdb with the Date column bound as text, as its own tools read it.
void BoundLibmdbScan(benchmark::State& state) {
  char table[] = "tbCalenderData";
  char column[] = "Date";
  static char text[MDB_BIND_SIZE];
  int length = 0;
  for (auto _ : state) {
    MdbHandle* mdb = mdb_open(kDatabase.c_str(), MDB_NOFLAGS);
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_read_catalog(mdb, MDB_TABLE);
    MdbTableDef* def = mdb_read_table_by_name(mdb, table, MDB_TABLE);
    mdb_read_columns(def);
    mdb_bind_column_by_name(def, column, text, &length);
    mdb_rewind_table(def);
    std::string newest;
    while (mdb_fetch_row(def))
      if (length > 0 && newest < text) newest = text;
    mdb_free_tabledef(def);
    mdb_close(mdb);
    benchmark::DoNotOptimize(newest);
  }
}

// mdb-export of the whole table to /dev/null.
void MdbExport(benchmark::State& state) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  char program[] = "mdb-export";
  char table[] = "tbCalenderData";
  std::string path = kDatabase;
  char* argv[] = {program, path.data(), table, nullptr};
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawnp(&pid, program, &actions, nullptr, argv, environ) != 0) {
      state.SkipWithError("cannot start mdb-export");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("mdb-export failed");
  }
  posix_spawn_file_actions_destroy(&actions);
}

BENCHMARK(CheckQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BareLibmdbScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BoundLibmdbScan)->Unit(benchmark::kMillisecond);
BENCHMARK(MdbExport)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
