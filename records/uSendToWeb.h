#pragma once
// Sending a highscore table to the worldwide highscore, one form post per entry.
#include "records/uTJwHighscore.h"
#include "records/uWebForm.h"

namespace kelani {

// Sends every entry of `table` that passes its OnFilter, rank 1 first, to the table's Server and
// Action. An entry the server refuses (reported by the post) does not stop the others. Returns 0
// when all were sent or refused (also when none qualified), -1 when the server could not be
// reached or failed; the remaining entries are then not sent.
int SendToWeb(const TCustomINetHighscore& table, TCustomWebPost& post);

// What the server made of the forms it took, counted from its answers: "stored" (a new entry),
// "known" (sent before), "not kept..." (the player's better entries fill his places); an answer
// in none of these words (a server of another make) counts as Other.
struct TSendCounts {
    int Stored = 0;
    int Known = 0;
    int NotKept = 0;
    int Other = 0;
};
TSendCounts CountAnswers(const std::vector<std::string>& answers);

} // namespace kelani
