// What an SQLite store (through its C API) would cost for a point map: one
// row per object (layer, order, type, flags, style, packed segments, five
// field values), written in one transaction, then read whole in paint order,
// then one object changed in place. Prints seconds and bytes per object.
// Build: g++ -O2 -std=c++20 scripts/doc-sqlite-probe.cpp -lsqlite3 -o probe
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <sys/stat.h>

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Check(int code, sqlite3* db) {
  if (code != SQLITE_OK && code != SQLITE_DONE && code != SQLITE_ROW) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  const std::string path = "probe-" + std::to_string(count) + ".sqlite";
  std::remove(path.c_str());
  sqlite3* db = nullptr;
  auto start = std::chrono::steady_clock::now();
  Check(sqlite3_open(path.c_str(), &db), db);
  Check(sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                     "CREATE TABLE art(id INTEGER PRIMARY KEY, layer INT, ord INT, type INT, flags INT, style INT,"
                     " segs BLOB, f1 TEXT, f2 TEXT, f3 INT, f4 REAL, f5 TEXT); BEGIN;",
                     nullptr, nullptr, nullptr),
        db);
  sqlite3_stmt* insert = nullptr;
  Check(sqlite3_prepare_v2(db, "INSERT INTO art VALUES (?,?,?,?,?,?,?,?,?,?,?,?)", -1, &insert, nullptr), db);
  std::mt19937 random(21);
  std::uniform_real_distribution<float> coordinate(0, 1000);
  for (long i = 0; i < count; ++i) {
    const float x = coordinate(random), y = coordinate(random);
    const float segments[8] = {x, y, x + 1, y, x + 1, y + 1, x, y + 1};
    const std::string name = "P" + std::to_string(i), note = "n" + std::to_string(random() % 1000);
    sqlite3_bind_int64(insert, 1, i);
    sqlite3_bind_int(insert, 2, 1);
    sqlite3_bind_int64(insert, 3, i);
    sqlite3_bind_int(insert, 4, 2);
    sqlite3_bind_int(insert, 5, 0x0d00);
    sqlite3_bind_int(insert, 6, 0);
    sqlite3_bind_blob(insert, 7, segments, sizeof segments, SQLITE_STATIC);
    sqlite3_bind_text(insert, 8, name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 9, i % 3 ? "A" : "B", -1, SQLITE_STATIC);
    sqlite3_bind_int(insert, 10, static_cast<int>(random() % 100000));
    sqlite3_bind_double(insert, 11, coordinate(random));
    sqlite3_bind_text(insert, 12, note.c_str(), -1, SQLITE_STATIC);
    Check(sqlite3_step(insert), db);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Check(sqlite3_exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr), db);
  sqlite3_close(db);
  const double write = Seconds(start);

  start = std::chrono::steady_clock::now();
  Check(sqlite3_open(path.c_str(), &db), db);
  sqlite3_stmt* select = nullptr;
  Check(sqlite3_prepare_v2(db, "SELECT layer, ord, type, flags, style, segs, f1, f2, f3, f4, f5 FROM art ORDER BY layer, ord",
                           -1, &select, nullptr),
        db);
  double sum = 0;
  while (sqlite3_step(select) == SQLITE_ROW) {
    sum += sqlite3_column_bytes(select, 5) + sqlite3_column_bytes(select, 6) + sqlite3_column_double(select, 9);
  }
  sqlite3_finalize(select);
  const double read = Seconds(start);

  start = std::chrono::steady_clock::now();
  Check(sqlite3_exec(db, "UPDATE art SET f1 = 'changed' WHERE id = 12345;", nullptr, nullptr, nullptr), db);
  sqlite3_close(db);
  const double change = Seconds(start);
  struct stat info {};
  ::stat(path.c_str(), &info);
  std::printf("sqlite %ld objects: write %.2f s, read all %.2f s, change one %.1f ms, file %.1f B/object (%g)\n", count,
              write, read, change * 1000, static_cast<double>(info.st_size) / count, sum > 0 ? 1.0 : 0.0);
  std::remove(path.c_str());
}
