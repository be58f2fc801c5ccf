#include <gtest/gtest.h>

#include <string>

#include "platform/DeferredMoves.h"

namespace {

// An owner that edits when told to and writes down which moves ran.
struct Owner {
    bool editing = false;
    std::string ran;
    CDeferredMoves moves{[this] { return editing; }};

    void request(char name) {
        moves.runOrDefer([this, name] { ran += name; });
    }
};

}  // namespace

TEST(DeferredMoves, AMoveWaitsForTheOutermostCommandAndRunsInOrder) {
    Owner owner;
    owner.request('a');
    EXPECT_EQ(owner.ran, "a") << "an idle owner moves at once";
    {
        CDeferredMoves::Command command(owner.moves);
        owner.request('b');
        {
            // A command inside the first (a broadcast to the same window) ends first.
            CDeferredMoves::Command inner(owner.moves);
            owner.request('c');
        }
        EXPECT_EQ(owner.ran, "a");
        EXPECT_EQ(owner.moves.waiting(), 2u);
    }
    EXPECT_EQ(owner.ran, "abc");
    EXPECT_EQ(owner.moves.waiting(), 0u);
}

TEST(DeferredMoves, AMoveWaitsUntilTheEditEnds) {
    Owner owner;
    owner.editing = true;
    owner.request('a');
    {
        // A command that keeps the edit (a save that failed, "No" to cancel) runs nothing.
        CDeferredMoves::Command command(owner.moves);
    }
    EXPECT_EQ(owner.ran, "");
    {
        CDeferredMoves::Command save(owner.moves);
        owner.editing = false;
        EXPECT_EQ(owner.ran, "") << "not before the command that ended the edit is done";
    }
    EXPECT_EQ(owner.ran, "a");
}

TEST(DeferredMoves, AMoveThatStartsAnEditOrAsksKeepsTheOthersWaiting) {
    Owner owner;
    {
        CDeferredMoves::Command command(owner.moves);
        // A show by a name nobody has starts a new record: the later move must wait for it.
        owner.moves.runOrDefer([&owner] {
            owner.ran += 'n';
            owner.editing = true;
        });
        owner.request('b');
        // A move whose question lets a further request in runs that one after itself.
        owner.moves.runOrDefer([&owner] {
            owner.request('d');
            owner.ran += 'c';
        });
    }
    EXPECT_EQ(owner.ran, "n");
    owner.editing = false;
    owner.moves.resume();
    EXPECT_EQ(owner.ran, "nbcd");
}
