#pragma once
// The network transport of a network game: a star with the host as server.
// Blocks of game messages travel reliably and in order; the host relays and
// broadcasts them (its broadcast skips the sender). Player ids are 32-bit
// numbers the host hands out; the transport reports its own system events
// (player created, player destroyed, session lost) and carries chat as a
// kind of its own. It knows nothing of message contents.
//
// The game polls it from the main loop; nothing blocks. Without an installed
// factory (headless builds, tests) no transport opens and the game is single
// player. The real one lives in platform/net (ENet) and only the game
// program installs it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// The largest block a peer may send (the receive buffer of the game).
inline constexpr size_t kNetMaxBlock = 1024;
inline constexpr int kNetMaxPlayers = 6;
inline constexpr size_t kNetNameSize = 32;
// What a handshake must carry for the host to accept the join.
inline constexpr uint32_t kNetGameId = 0x52435631;  // "RCV1"
// The one connection the front end looks for.
inline constexpr const char* kNetConnectionName = "TCP/IP";

// kWarning: something the transport dropped or refused (text says what);
// the game logs it.
enum class NetEventKind { kGame, kChat, kPlayerCreated, kPlayerDestroyed, kSessionLost, kWarning };

struct NetEvent {
  NetEventKind kind = NetEventKind::kGame;
  uint32_t from = 0;  // the sender's or the player's id (kWarning: the player it is about, 0 for none)
  std::vector<uint8_t> data;  // kGame: the block
  std::string text;           // kChat: the text; kSessionLost, kWarning: why
  std::string shortName, longName;  // kPlayerCreated
};

// A session found by a search (its host's answer).
struct NetSessionInfo {
  std::string name;
  std::string address;  // where it answered from, to join it
  uint16_t port = 0;
  uint32_t instance = 0;
  int32_t players = 0;
  int32_t maxPlayers = 0;
  bool joinDisabled = false;
  int32_t user[4] = {};
};

class NetTransport {
 public:
  virtual ~NetTransport() = default;
  // The connections this transport offers (one, named "TCP/IP").
  virtual std::vector<std::string> Connections() const { return {kNetConnectionName}; }
  // Opens a session on the port with this machine as host (player created at once).
  virtual bool HostSession(const std::string& name, uint16_t port, const std::string& shortName,
                           const std::string& longName) = 0;
  // Starts joining the session at the address; the outcome comes through
  // Poll (InSession turns true, or kSessionLost with the refusal in text).
  virtual bool JoinSession(const std::string& address, uint16_t port, const std::string& shortName,
                           const std::string& longName, uint32_t version) = 0;
  // Searches for sessions on the port: asks this machine, the address when
  // one is given ("0" or empty: none) and the local network by broadcast.
  // Each call asks again; the answers arrive through Poll into Sessions(),
  // which lists every session that has answered lately (a session that
  // stops answering drops out) with the address it answered from.
  virtual bool EnumerateSessions(const std::string& address, uint16_t port) = 0;
  virtual std::vector<NetSessionInfo> Sessions() const = 0;
  // Stops reading answers; the sessions found stay listed.
  virtual void StopSessionEnumeration() = 0;

  // Host: a block to every other machine. Client: a block to the host.
  virtual bool SendToAll(const uint8_t* data, size_t size) = 0;
  // A block to one player. A client sends game blocks to the host only: the
  // host relays none, so every machine applies only what the host routed.
  virtual bool SendToPlayer(uint32_t id, const uint8_t* data, size_t size) = 0;
  // Chat to every player (target 0) or one player; the host relays it.
  virtual bool SendChat(const std::string& text, uint32_t target) = 0;

  // Host only: refuse or accept further joins; the four words the lobby
  // publishes with the session.
  virtual void DisableJoining() = 0;
  virtual void EnableJoining() = 0;
  virtual void SetSessionUserValues(const int32_t words[4]) = 0;
  // Host only: sends a player away as a full session would refuse it, or
  // (timedOut) telling it the others stopped waiting for it.
  virtual void DropPlayer(uint32_t /*id*/, bool /*timedOut*/ = false) {}

  // Reads what has arrived and keeps the events for the next Poll; never
  // blocks. The game polls five times a second; the pump runs more often so
  // that a flood of datagrams cannot crowd the players' out meanwhile.
  virtual void Pump() {}
  // Drains every waiting event; never blocks.
  virtual std::vector<NetEvent> Poll() = 0;
  virtual void CloseSession() = 0;

  virtual bool InSession() const = 0;
  virtual bool IsHost() const = 0;
  virtual uint32_t LocalId() const = 0;
  virtual uint32_t HostId() const = 0;
  // The players in the session, the local one included (host's view; a
  // client knows those it was told of).
  virtual int32_t PlayerCount() const = 0;
};

using NetTransportFactory = std::function<std::unique_ptr<NetTransport>()>;
// The game program installs the real transport; null means none.
void SetNetTransportFactory(NetTransportFactory factory);
// A new transport, or null (with no factory installed).
std::unique_ptr<NetTransport> CreateNetTransport();

}  // namespace platform
