#pragma once
// What a player message's four words carry, one record per kind of message
// (game_messages.h holds the message itself and the codes' table).
#include <cstdint>
#include <variant>

#include "city/game_ids.h"
#include "engine/core/record_visitor.h"

// Each code's four words are one record that names them, in wire order. A
// word a code leaves unused is kept as sent (spare), so a message encodes to
// the bytes it was decoded from. The words are not ranged here: whoever acts
// on one looks its block, building or business up first.
inline constexpr FieldRange kAnyWord{};

// 30, 34, 40 the debt warning, 41 out of debt, 42 removed: no words.
struct PlainNote {
  int32_t spare[4] = {};
  template <class V> void Visit(V& v) {
    for (int32_t& w : spare) v.I32(w);
  }
};
// 31 a block offered to the city, 32 an offer for a block, 33 the offer
// accepted, 35 refused: an answer carries the request's words back (a
// refused purchase of a building or a business names no block).
struct BlockDeal {
  BlockId block;
  int32_t amount = 0;
  int32_t requestId = 0;  // the asker's own note: a computer player's action id, -1 none
  int32_t spare = 0;
  template <class V> void Visit(V& v) {
    v.I32(block, kAnyWord);
    v.I32(amount);
    v.I32(requestId);
    v.I32(spare);
  }
};
// 36 an auction begins, 37 it is over, 39 it ended: the block it sells.
struct AuctionNews {
  BlockId block;
  int32_t spare[3] = {};
  template <class V> void Visit(V& v) {
    v.I32(block, kAnyWord);
    for (int32_t& w : spare) v.I32(w);
  }
};
// 38 an auction's block went to its winner for its price.
struct AuctionSettled {
  BlockId block;
  PlayerIndex winner;
  int32_t price = 0;
  int32_t spare = 0;
  template <class V> void Visit(V& v) {
    v.I32(block, kAnyWord);
    v.I32(winner, kAnyWord);
    v.I32(price);
    v.I32(spare);
  }
};
// 43 a business of the player's was bought out of its building.
struct BoughtOutNote {
  BuildingId building;
  int32_t spare[3] = {};
  template <class V> void Visit(V& v) {
    v.I32(building, kAnyWord);
    for (int32_t& w : spare) v.I32(w);
  }
};
// 44 a business joined the player's holdings.
struct BusinessJoinedNote {
  BusinessId business;
  int32_t spare[3] = {};
  template <class V> void Visit(V& v) {
    v.I32(business, kAnyWord);
    for (int32_t& w : spare) v.I32(w);
  }
};
// 45 the city refused to build a business of the type on the block.
struct ConstructionRefusal {
  BlockId block;
  int32_t businessType = 0;
  int32_t spare[2] = {};
  template <class V> void Visit(V& v) {
    v.I32(block, kAnyWord);
    v.I32(businessType);
    for (int32_t& w : spare) v.I32(w);
  }
};
// 46 a card asked for, 47 dealt, 48 held, 49 handed back.
struct CardNote {
  int32_t card = 0;
  int32_t spare[3] = {};
  template <class V> void Visit(V& v) {
    v.I32(card);
    for (int32_t& w : spare) v.I32(w);
  }
};

using PlayerMessageBody = std::variant<PlainNote, BlockDeal, AuctionNews, AuctionSettled, BoughtOutNote,
                                       BusinessJoinedNote, ConstructionRefusal, CardNote>;
// The empty record a code carries.
PlayerMessageBody PlayerMessageBodyFor(int32_t code);

// The offer an auction answers, kept to refuse it with: the offer's words
// and token as they came (all zero for an auction that answers none).
struct AuctionRequest {
  BlockDeal offer{BlockId{0}};
  int32_t token = 0;
  template <class V> void Visit(V& v) {
    offer.Visit(v);
    v.I32(token);
  }
};
