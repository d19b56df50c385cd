#pragma once

#include <sqlite3.h>

#include "Database.h"
#include "Sqlite.h"

// Makes the first read after each of the next `failures` writes fail the way the engine fails it: refused by
// the authorizer when prepared, or interrupted while it runs.
struct FailingReRead {
    enum Way { Refused, Interrupted };
    FailingReRead(Way way, int failures) : way(way), left(failures) {
        db = sqliteHandle(Session::instance().database(kAliasVantejaVs2));
        sqlite3_set_authorizer(db, &FailingReRead::authorize, this);
    }
    ~FailingReRead() {
        sqlite3_set_authorizer(db, nullptr, nullptr);
        sqlite3_progress_handler(db, 0, nullptr, nullptr);
    }
    static int authorize(void* self, int action, const char*, const char*, const char*, const char*) {
        auto* f = static_cast<FailingReRead*>(self);
        if ((action == SQLITE_INSERT || action == SQLITE_UPDATE) && f->left > 0) f->armed = true;
        if (action != SQLITE_SELECT || !f->armed) return SQLITE_OK;
        f->armed = false;
        --f->left;
        if (f->way == Refused) return SQLITE_DENY;
        sqlite3_progress_handler(f->db, 1, &FailingReRead::interrupt, f);
        return SQLITE_OK;
    }
    // As another thread's sqlite3_interrupt() would: every statement running or begun before the running ones
    // end is interrupted too.
    static int interrupt(void* self) {
        sqlite3* db = static_cast<FailingReRead*>(self)->db;
        sqlite3_progress_handler(db, 0, nullptr, nullptr);
        sqlite3_interrupt(db);
        return 1;  // the running statement too, however short
    }
    sqlite3* db;
    Way way;
    int left;
    bool armed = false;
};
