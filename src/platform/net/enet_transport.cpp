#include "platform/net/enet_transport.h"

#include <enet/enet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

namespace platform {

namespace {

// Every packet starts with one byte saying what it is; numbers are
// little-endian, names fixed 32-byte fields (zero-padded).
enum PacketKind : uint8_t {
  kHello = 1,    // client -> host: game id, version, short and long name
  kWelcome = 2,  // host -> client: your id, the host's id, the players so far
  kRefuse = 3,   // host -> client: why
  kBlock = 4,    // from, to (0 = every machine), the block
  kChat = 5,     // from, to (0 = every player), the text
  kJoined = 6,   // host -> clients: id, short and long name
  kLeft = 7,     // host -> clients: id
};
enum RefuseReason : uint8_t {
  kRefuseFull = 1,
  kRefuseDisabled = 2,
  kRefuseWrongGame = 3,
  kRefuseTimedOut = 4,
  kRefuseFlooded = 5,
};
// What the host's disconnect carries when it closes its session: the host
// left, whatever pause this machine had before.
constexpr uint32_t kHostClosed = 0x100;

constexpr size_t kBlockHeader = 9;
constexpr size_t kMaxChat = 256;
constexpr size_t kPlayerRecord = 4 + 2 * kNetNameSize;
// More peers than players: a refused join also takes one for a moment.
constexpr size_t kHostPeers = 16;
constexpr uint32_t kFirstClientId = 2;
constexpr uint32_t kHostPlayerId = 1;
// A silent peer counts as gone after at most this long.
constexpr uint32_t kPeerTimeoutMs = 5000;
// A machine that connects says Hello at once; one that has not within this
// long is dropped. At most this many wait for their Hello: a newer one
// pushes out the oldest, so peers that connect and say nothing can never
// take the slots real players join through.
constexpr auto kHelloDeadline = std::chrono::milliseconds(5000);
constexpr size_t kMaxPeersWithoutHello = kHostPeers - kNetMaxPlayers - 1;
// A machine that goes this long without servicing its connection (stopped,
// or busy) may be timed out by the host: the host gives up on a silent peer
// after at least this long.
constexpr auto kStallLimit = std::chrono::milliseconds(kPeerTimeoutMs / 2);
// A connection lost within this long after such a stall was lost to it.
constexpr auto kStallBlame = std::chrono::milliseconds(2 * kPeerTimeoutMs);

// A client's chat reaches the others at most this often; the rest is
// counted and the host told once the window is over. A person types far
// slower; a peer sending thousands would bury every other player's lines.
constexpr int32_t kChatsPerWindow = 5;
constexpr auto kChatWindow = std::chrono::seconds(5);

// A client floods its connection when the host holds more than this of its
// data undelivered behind a gap (packets larger than the host takes are
// never acknowledged, and everything the client sends after them waits),
// or when it sends more than this in a second: a game sends a few kilobytes
// a second at full speed. Its own messages, snapshots included, would wait
// behind the flood and hold every machine, so the host drops it at once.
constexpr size_t kFloodWaitingBytes = 64 * 1024;
constexpr size_t kFloodBytesPerSecond = 1024 * 1024;
// What ENet holds undelivered for one peer at most between two pumps.
constexpr size_t kMaxWaitingData = 4 * kFloodBytesPerSecond;

// Service passes per pump that hand out no event: each reads up to 256
// datagrams, or stops at one larger than ENet's buffer.
constexpr int kMaxServicePasses = 2048;

// Session search: plain datagrams on the session's port, outside ENet's own
// protocol (the host takes them off its socket before ENet sees them). An
// enquiry is the game id and one byte; the reply carries the session's
// description at fixed offsets, and a searcher takes nothing of a reply
// whose length or fields are wrong.
enum DiscoveryKind : uint8_t { kDiscoverEnquiry = 0x51, kDiscoverReply = 0x52 };
constexpr size_t kEnquirySize = 5;
constexpr size_t kReplySize = 4 + 1 + kNetNameSize + 4 + 4 + 4 + 1 + 4 * 4;
constexpr size_t kMaxSessions = 24;
// Replies read per poll: a flood cannot hold the game up.
constexpr int kMaxRepliesPerPoll = 64;
// A session that has not answered this long is no longer listed.
constexpr auto kSessionForgotten = std::chrono::milliseconds(3000);

struct Writer {
  std::vector<uint8_t> b;
  void U8(uint8_t v) { b.push_back(v); }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Name(const std::string& s) {
    const size_t n = std::min(s.size(), kNetNameSize - 1);
    b.insert(b.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    b.insert(b.end(), kNetNameSize - n, 0);
  }
  void Raw(const uint8_t* p, size_t n) { b.insert(b.end(), p, p + n); }
};

// Reads a received packet; every read is checked against the length.
struct Reader {
  const uint8_t* p;
  size_t n;
  size_t at = 0;
  bool ok = true;
  bool Need(size_t k) {
    if (n - at < k) ok = false;
    return ok;
  }
  uint8_t U8() { return Need(1) ? p[at++] : 0; }
  uint32_t U32() {
    if (!Need(4)) return 0;
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(p[at + i]) << (8 * i);
    at += 4;
    return v;
  }
  std::string Name() {
    if (!Need(kNetNameSize)) return {};
    const char* s = reinterpret_cast<const char*>(p + at);
    at += kNetNameSize;
    return std::string(s, strnlen(s, kNetNameSize));
  }
  size_t Left() const { return n - at; }
};

bool IsLoopback(uint32_t host) { return (ntohl(host) >> 24) == 127; }

// The broadcast addresses CITYRUN_SESSION_SEARCH chooses:
// "loopback" keeps the search on this machine, a comma-separated list of
// IPv4 addresses names them, unset (or "network") means the local network,
// returned as an empty list. A value that cannot be read keeps the search on
// this machine: asking too few is safer than asking every network.
std::vector<std::string> ChosenBroadcasts() {
  const char* env = std::getenv("CITYRUN_SESSION_SEARCH");
  const std::string value = env ? env : "";
  if (value.empty() || value == "network") return {};
  const std::vector<std::string> loopback{"127.255.255.255"};
  if (value == "loopback") return loopback;
  std::vector<std::string> listed;
  size_t from = 0;
  while (from <= value.size()) {
    const size_t comma = std::min(value.find(',', from), value.size());
    const std::string text = value.substr(from, comma - from);
    in_addr parsed{};
    if (inet_pton(AF_INET, text.c_str(), &parsed) != 1) {
      static bool told = false;
      if (!told) std::fprintf(stderr, "CITYRUN_SESSION_SEARCH: '%s' is not an IPv4 address; searching this machine only\n", text.c_str());
      told = true;
      return loopback;
    }
    listed.push_back(text);
    from = comma + 1;
  }
  return listed;
}

// Every address a search asks, in network byte order: the chosen broadcast
// addresses (else the limited broadcast and each network interface's own
// broadcast address), this machine, and the address given. A search whose
// broadcasts are all on the loopback network asks nothing off this machine.
std::vector<uint32_t> SearchTargets(const std::string& address) {
  std::vector<uint32_t> hosts;
  auto add = [&](uint32_t host) {
    if (std::find(hosts.begin(), hosts.end(), host) == hosts.end()) hosts.push_back(host);
  };
  const std::vector<std::string> chosen = ChosenBroadcasts();
  for (const std::string& text : chosen) {
    in_addr parsed{};
    if (inet_pton(AF_INET, text.c_str(), &parsed) == 1) add(parsed.s_addr);
  }
  if (chosen.empty()) {
    add(ENET_HOST_BROADCAST);
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
      for (const ifaddrs* i = list; i != nullptr; i = i->ifa_next) {
        if (i->ifa_broadaddr == nullptr || i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET ||
            !(i->ifa_flags & IFF_BROADCAST) || !(i->ifa_flags & IFF_UP))
          continue;
        add(reinterpret_cast<const sockaddr_in*>(i->ifa_broadaddr)->sin_addr.s_addr);
      }
      freeifaddrs(list);
    }
  }
  const bool confined = !hosts.empty() && std::all_of(hosts.begin(), hosts.end(), IsLoopback);
  add(htonl(INADDR_LOOPBACK));
  ENetAddress given{};
  if (!address.empty() && address != "0" && enet_address_set_host_ip(&given, address.c_str()) == 0 &&
      (!confined || IsLoopback(given.host)))
    add(given.host);
  return hosts;
}

// A reply to a search, or false when any length or field is wrong.
bool ReadDiscoveryReply(const uint8_t* data, size_t size, NetSessionInfo& info) {
  if (size != kReplySize) return false;
  Reader r{data, size};
  if (r.U32() != kNetGameId || r.U8() != kDiscoverReply) return false;
  if (data[r.at + kNetNameSize - 1] != 0) return false;  // the name ends inside its field
  info.name = r.Name();
  info.instance = r.U32();
  info.players = static_cast<int32_t>(r.U32());
  info.maxPlayers = static_cast<int32_t>(r.U32());
  const uint8_t disabled = r.U8();
  for (int32_t& word : info.user) word = static_cast<int32_t>(r.U32());
  info.joinDisabled = disabled != 0;
  return r.ok && r.Left() == 0 && info.maxPlayers >= 1 && info.maxPlayers <= kNetMaxPlayers &&
         info.players >= 1 && info.players <= info.maxPlayers && disabled <= 1;
}

bool EnetStarted() {
  static const bool ok = enet_initialize() == 0;
  return ok;
}

// Counts within a fixed window of wall-clock time (the transport's own
// limits: they touch only what is relayed or kept, never the game).
struct WindowCount {
  std::chrono::steady_clock::time_point start{};
  size_t count = 0;
  // Adds n; the sum within the current window.
  size_t Add(size_t n, std::chrono::steady_clock::duration window) {
    const auto now = std::chrono::steady_clock::now();
    if (now - start >= window) {
      start = now;
      count = 0;
    }
    return count += n;
  }
  bool Over(std::chrono::steady_clock::duration window) const {
    return std::chrono::steady_clock::now() - start >= window;
  }
};

struct Player {
  Player() = default;
  Player(uint32_t id_, std::string shortName_, std::string longName_, ENetPeer* peer_)
      : id(id_), shortName(std::move(shortName_)), longName(std::move(longName_)), peer(peer_) {}
  uint32_t id = 0;
  std::string shortName, longName;
  ENetPeer* peer = nullptr;  // host: the client's peer
  // Host: the client's chats and bytes, and the chats not passed on.
  WindowCount chats, bytes;
  int32_t chatsHeld = 0;
  bool flooding = false;
};

class EnetTransport final : public NetTransport {
 public:
  ~EnetTransport() override {
    CloseSession();
    StopSessionEnumeration();
  }

  bool HostSession(const std::string& name, uint16_t port, const std::string& shortName,
                   const std::string& longName) override {
    CloseSession();
    if (!EnetStarted()) return false;
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    host_ = enet_host_create(&address, kHostPeers, 1, 0, 0);
    if (host_ == nullptr) return false;
    LimitPackets();
    host_->intercept = InterceptDiscovery;
    isHost_ = true;
    inSession_ = true;
    sessionName_ = name;
    std::random_device seed;
    instance_ = seed();
    localId_ = hostId_ = kHostPlayerId;
    nextId_ = kFirstClientId;
    players_.push_back(Player{localId_, shortName, longName, nullptr});
    return true;
  }

  bool JoinSession(const std::string& address, uint16_t port, const std::string& shortName,
                   const std::string& longName, uint32_t version) override {
    CloseSession();
    if (!EnetStarted()) return false;
    host_ = enet_host_create(nullptr, 1, 1, 0, 0);
    if (host_ == nullptr) return false;
    LimitPackets();
    ENetAddress to{};
    if (enet_address_set_host_ip(&to, address.c_str()) != 0) {
      CloseSession();
      return false;
    }
    to.port = port;
    server_ = enet_host_connect(host_, &to, 1, 0);
    if (server_ == nullptr) {
      CloseSession();
      return false;
    }
    enet_peer_timeout(server_, 0, kPeerTimeoutMs / 2, kPeerTimeoutMs);
    refusal_.clear();
    joinName_ = shortName;
    joinLongName_ = longName;
    joinVersion_ = version;
    return true;
  }

  // Asks this machine, the address when one is given, and the local network
  // by broadcast; the replies are read by Poll.
  bool EnumerateSessions(const std::string& address, uint16_t port) override {
    if (!EnetStarted() || !OpenProbe()) return false;
    const std::vector<uint32_t> targets = SearchTargets(address);
    ENetAddress to{};
    Writer w;
    w.U32(kNetGameId);
    w.U8(kDiscoverEnquiry);
    ENetBuffer buffer{w.b.data(), w.b.size()};
    bool sent = false;
    for (uint32_t host : targets) {
      to.host = host;
      to.port = port;
      // A network that cannot broadcast (none, or no route) fails its sends;
      // the search goes on with the others.
      sent |= enet_socket_send(probe_, &to, &buffer, 1) > 0;
    }
    return sent;
  }

  std::vector<NetSessionInfo> Sessions() const override {
    std::vector<NetSessionInfo> listed;
    const auto now = std::chrono::steady_clock::now();
    for (const Found& f : found_)
      if (now - f.seen < kSessionForgotten) listed.push_back(f.info);
    return listed;
  }

  // The sessions found stay listed; no more replies are read.
  void StopSessionEnumeration() override {
    if (probe_ == ENET_SOCKET_NULL) return;
    enet_socket_destroy(probe_);
    probe_ = ENET_SOCKET_NULL;
  }

  bool SendToAll(const uint8_t* data, size_t size) override {
    if (!inSession_ || size > kNetMaxBlock) return false;
    const std::vector<uint8_t> packet = BlockPacket(localId_, 0, data, size);
    if (!isHost_) return Send(server_, packet);
    for (const Player& p : players_)
      if (p.peer != nullptr) Send(p.peer, packet);
    return true;
  }

  bool SendToPlayer(uint32_t id, const uint8_t* data, size_t size) override {
    if (!inSession_ || size > kNetMaxBlock) return false;
    const std::vector<uint8_t> packet = BlockPacket(localId_, id, data, size);
    if (!isHost_) return id == hostId_ && Send(server_, packet);
    const Player* p = Find(id);
    return p != nullptr && p->peer != nullptr && Send(p->peer, packet);
  }

  bool SendChat(const std::string& text, uint32_t target) override {
    if (!inSession_) return false;
    const std::vector<uint8_t> packet = ChatPacket(localId_, target, text);
    if (!isHost_) return Send(server_, packet);
    RelayChat(localId_, target, packet);
    return true;
  }

  void DropPlayer(uint32_t id, bool timedOut) override {
    Player* p = isHost_ ? Find(id) : nullptr;
    if (p == nullptr || p->peer == nullptr) return;
    const uint8_t why = timedOut ? kRefuseTimedOut : kRefuseFull;
    Send(p->peer, std::vector<uint8_t>{kRefuse, why});
    enet_peer_disconnect_later(p->peer, why);
  }

  void DisableJoining() override { joinDisabled_ = true; }
  void EnableJoining() override { joinDisabled_ = false; }
  void SetSessionUserValues(const int32_t words[4]) override { std::copy(words, words + 4, user_); }

  // Reads the socket dry (within a bound): junk sent to the port must not
  // crowd the players' packets out of the system's receive buffer. ENet
  // stops a service call at a datagram larger than its buffer (and drops
  // it), so a call that fails is followed by another; a flood of large
  // datagrams used to leave all but one a poll in the socket. The events
  // wait for the next Poll.
  void Pump() override {
    NoteStall();
    ENetEvent ev;
    servicing_ = this;
    for (int passes = 0; host_ != nullptr && passes < kMaxServicePasses;) {
      const uint32_t received = host_->totalReceivedPackets;
      const int result = enet_host_service(host_, &ev, 0);
      if (result > 0) {
        Handle(ev);
        continue;
      }
      ++passes;
      if (result == 0 && host_->totalReceivedPackets == received) break;  // dry
    }
    servicing_ = nullptr;
    if (host_ != nullptr) enet_host_flush(host_);
    DropPeersWithoutHello();
    if (isHost_) {
      DropFloodingPlayers();
      TellHeldChats();
    }
  }

  std::vector<NetEvent> Poll() override {
    Pump();
    ReadDiscoveryReplies();
    std::vector<NetEvent> events = std::move(events_);
    events_.clear();
    return events;
  }

  void CloseSession() override {
    if (host_ != nullptr) {
      for (size_t i = 0; i < host_->peerCount; ++i)
        enet_peer_disconnect_now(&host_->peers[i], isHost_ ? kHostClosed : 0);
      enet_host_destroy(host_);
    }
    host_ = nullptr;
    server_ = nullptr;
    inSession_ = isHost_ = false;
    localId_ = hostId_ = 0;
    joinDisabled_ = false;
    players_.clear();
    withoutHello_.clear();
    lastPump_ = stallEnded_ = {};
  }

  bool InSession() const override { return inSession_; }
  bool IsHost() const override { return isHost_; }
  uint32_t LocalId() const override { return localId_; }
  uint32_t HostId() const override { return hostId_; }
  int32_t PlayerCount() const override { return static_cast<int32_t>(players_.size()); }

 private:
  // A block bigger than the game's buffer is dropped by the receiver; ENet
  // itself refuses anything far beyond it before allocating.
  void LimitPackets() {
    host_->maximumPacketSize = kNetMaxBlock * 4;
    host_->maximumWaitingData = kMaxWaitingData;
  }

  static bool Send(ENetPeer* peer, const std::vector<uint8_t>& bytes) {
    if (peer == nullptr) return false;
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
    if (packet == nullptr) return false;
    if (enet_peer_send(peer, 0, packet) != 0) {
      enet_packet_destroy(packet);
      return false;
    }
    return true;
  }

  static std::vector<uint8_t> BlockPacket(uint32_t from, uint32_t to, const uint8_t* data, size_t size) {
    Writer w;
    w.U8(kBlock);
    w.U32(from);
    w.U32(to);
    w.Raw(data, size);
    return w.b;
  }

  static std::vector<uint8_t> ChatPacket(uint32_t from, uint32_t to, const std::string& text) {
    Writer w;
    w.U8(kChat);
    w.U32(from);
    w.U32(to);
    w.Raw(reinterpret_cast<const uint8_t*>(text.data()), std::min(text.size(), kMaxChat));
    return w.b;
  }

  Player* Find(uint32_t id) {
    for (Player& p : players_)
      if (p.id == id) return &p;
    return nullptr;
  }
  Player* FindPeer(ENetPeer* peer) {
    for (Player& p : players_)
      if (p.peer == peer && peer != nullptr) return &p;
    return nullptr;
  }

  void Event(NetEvent e) { events_.push_back(std::move(e)); }
  // `from`: the player the warning is about, 0 for none.
  void Warn(std::string text, uint32_t from = 0) {
    NetEvent e;
    e.kind = NetEventKind::kWarning;
    e.from = from;
    e.text = std::move(text);
    Event(std::move(e));
  }

  // Client: a pump long after the last one means this machine did not
  // answer the host meanwhile.
  void NoteStall() {
    const auto now = std::chrono::steady_clock::now();
    if (lastPump_ != std::chrono::steady_clock::time_point{} && now - lastPump_ >= kStallLimit) {
      stalledFor_ = now - lastPump_;
      stallEnded_ = now;
    }
    lastPump_ = now;
  }

  // Why the client lost a session it was in, the host having said nothing:
  // after a pause of its own long enough for the host to give up on it, it
  // was dropped; else the host went.
  std::string LostSessionText() const {
    const auto now = std::chrono::steady_clock::now();
    if (stallEnded_ == std::chrono::steady_clock::time_point{} || now - stallEnded_ >= kStallBlame)
      return "The host has left; the network game is over.";
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(stalledFor_).count();
    return "This machine did not answer for " + std::to_string(seconds) +
           " seconds, so the host dropped it; the network game is over.";
  }

  // Host: a client flooding its connection is sent away at once, before
  // its flood holds every machine waiting for what queues behind it.
  void DropFloodingPlayers() {
    for (size_t i = 0; i < players_.size();) {
      Player& p = players_[i];
      if (p.peer == nullptr || (!p.flooding && p.peer->totalWaitingData <= kFloodWaitingBytes)) {
        ++i;
        continue;
      }
      ENetPeer* peer = p.peer;
      Warn("A machine flooded its connection and was dropped.", p.id);
      Send(peer, std::vector<uint8_t>{kRefuse, kRefuseFlooded});
      enet_host_flush(host_);
      Disconnected(peer);  // the player leaves every machine's game now
      enet_peer_disconnect_now(peer, kRefuseFlooded);
    }
  }

  // Host: each client whose chat window is over hears how many of its
  // lines were not passed on.
  void TellHeldChats() {
    for (Player& p : players_) {
      if (p.chatsHeld == 0 || !p.chats.Over(kChatWindow)) continue;
      Warn(std::to_string(p.chatsHeld) + " chat lines were not passed on: more than " +
               std::to_string(kChatsPerWindow) + " in " + std::to_string(kChatWindow.count()) + " seconds.",
           p.id);
      p.chatsHeld = 0;
    }
  }

  // Host: a machine connected; it has until the deadline to say Hello.
  void AwaitHello(ENetPeer* peer) {
    if (withoutHello_.size() >= kMaxPeersWithoutHello) {
      enet_peer_disconnect_now(withoutHello_.front().peer, 0);
      withoutHello_.erase(withoutHello_.begin());
    }
    withoutHello_.push_back(Waiting{peer, std::chrono::steady_clock::now()});
  }

  void HelloHeard(ENetPeer* peer) {
    std::erase_if(withoutHello_, [&](const Waiting& w) { return w.peer == peer; });
  }

  void DropPeersWithoutHello() {
    const auto now = std::chrono::steady_clock::now();
    while (!withoutHello_.empty() && now - withoutHello_.front().since >= kHelloDeadline) {
      enet_peer_disconnect_now(withoutHello_.front().peer, 0);
      withoutHello_.erase(withoutHello_.begin());
      Warn("A machine that connected and said nothing was dropped.");
    }
  }

  void Handle(ENetEvent& ev) {
    switch (ev.type) {
      case ENET_EVENT_TYPE_CONNECT:
        if (isHost_) AwaitHello(ev.peer);
        if (!isHost_ && ev.peer == server_) {
          Writer w;
          w.U8(kHello);
          w.U32(kNetGameId);
          w.U32(joinVersion_);
          w.Name(joinName_);
          w.Name(joinLongName_);
          Send(server_, w.b);
        }
        break;
      case ENET_EVENT_TYPE_RECEIVE:
        Receive(ev.peer, ev.packet->data, ev.packet->dataLength);
        enet_packet_destroy(ev.packet);
        break;
      case ENET_EVENT_TYPE_DISCONNECT:
        Disconnected(ev.peer, ev.data);
        break;
      default:
        break;
    }
  }

  static std::string RefusalText(uint32_t why) {
    return why == kRefuseFull       ? "The session is full."
           : why == kRefuseDisabled ? "The session does not accept players now."
           : why == kRefuseTimedOut ? "The host stopped waiting for this machine."
           : why == kRefuseFlooded  ? "The host dropped this machine: it sent more than a game ever sends."
                                    : "The session belongs to another game.";
  }

  // `why`: the refusal the host's disconnect carried (0 for none). It tells
  // the client why when the refusal's own packet was lost in the disconnect.
  void Disconnected(ENetPeer* peer, uint32_t why = 0) {
    HelloHeard(peer);
    if (!isHost_) {
      if (peer != server_) return;
      if (refusal_.empty() && why != 0 && why != kHostClosed) refusal_ = RefusalText(why);
      server_ = nullptr;
      const bool wasIn = inSession_;
      inSession_ = false;
      NetEvent e;
      e.kind = NetEventKind::kSessionLost;
      e.text = !refusal_.empty()   ? refusal_
               : why == kHostClosed ? "The host has left; the network game is over."
               : wasIn              ? LostSessionText()
                                    : "Could not reach the session.";
      Event(std::move(e));
      return;
    }
    Player* p = FindPeer(peer);
    if (p == nullptr) return;
    const uint32_t id = p->id;
    players_.erase(players_.begin() + (p - players_.data()));
    NetEvent e;
    e.kind = NetEventKind::kPlayerDestroyed;
    e.from = id;
    Event(std::move(e));
    Writer w;
    w.U8(kLeft);
    w.U32(id);
    for (const Player& other : players_) Send(other.peer, w.b);
  }

  void Receive(ENetPeer* peer, const uint8_t* data, size_t size) {
    Reader r{data, size};
    const uint8_t kind = r.U8();
    Player* from = isHost_ ? FindPeer(peer) : nullptr;
    if (from != nullptr && from->bytes.Add(size, std::chrono::seconds(1)) > kFloodBytesPerSecond)
      from->flooding = true;
    if (kind == kBlock && size > kBlockHeader + kNetMaxBlock) {
      Warn("A network message of " + std::to_string(size - kBlockHeader) +
               " bytes is larger than the receive buffer; dropped.",
           from ? from->id : 0);
      return;
    }
    if (isHost_)
      HostReceive(peer, kind, r);
    else
      ClientReceive(kind, r);
  }

  void HostReceive(ENetPeer* peer, uint8_t kind, Reader& r) {
    Player* from = FindPeer(peer);
    if (kind == kHello && from == nullptr) {
      Hello(peer, r);
      return;
    }
    if (from == nullptr) return;  // not a player: nothing else is taken from it
    if (kind == kBlock) {
      r.U32();  // the sender is who the host knows it to be, whatever it wrote
      const uint32_t to = r.U32();
      const uint8_t* block = r.p + r.at;
      const size_t n = r.Left();
      if (!r.ok) return Warn("A malformed network message was dropped.", from->id);
      // Game blocks from a client are the host's alone: what reaches the
      // other machines is what the host routes, so none is relayed.
      if (to != 0 && to != localId_) return Warn("A network message for another player was dropped.", from->id);
      NetEvent e;
      e.from = from->id;
      e.data.assign(block, block + n);
      Event(std::move(e));
    } else if (kind == kChat) {
      r.U32();
      const uint32_t to = r.U32();
      if (!r.ok) return Warn("A malformed chat message was dropped.", from->id);
      if (from->chats.Add(1, kChatWindow) > size_t(kChatsPerWindow)) {
        ++from->chatsHeld;
        return;
      }
      const std::string text(reinterpret_cast<const char*>(r.p + r.at), std::min(r.Left(), kMaxChat));
      RelayChat(from->id, to, ChatPacket(from->id, to, text));
    } else {
      Warn("A network packet of unknown kind was dropped.", from->id);
    }
  }

  // The host's own chat and a client's: to the addressed players, and shown
  // here when the host is one of them (never back to the sender).
  void RelayChat(uint32_t from, uint32_t to, const std::vector<uint8_t>& packet) {
    for (const Player& p : players_) {
      if (p.id == from || (to != 0 && p.id != to)) continue;
      if (p.peer != nullptr) {
        Send(p.peer, packet);
      } else {
        Reader r{packet.data(), packet.size(), kBlockHeader};
        NetEvent e;
        e.kind = NetEventKind::kChat;
        e.from = from;
        e.text.assign(reinterpret_cast<const char*>(r.p + r.at), r.Left());
        Event(std::move(e));
      }
    }
  }

  void Hello(ENetPeer* peer, Reader& r) {
    HelloHeard(peer);
    const uint32_t game = r.U32();
    r.U32();  // the version: the game compares it at the start (message 4)
    const std::string shortName = r.Name(), longName = r.Name();
    uint8_t refuse = 0;
    if (!r.ok || game != kNetGameId)
      refuse = kRefuseWrongGame;
    else if (joinDisabled_)
      refuse = kRefuseDisabled;
    else if (players_.size() >= static_cast<size_t>(kNetMaxPlayers))
      refuse = kRefuseFull;
    if (refuse != 0) {
      Send(peer, std::vector<uint8_t>{kRefuse, refuse});
      enet_peer_disconnect_later(peer, refuse);
      return;
    }
    enet_peer_timeout(peer, 0, kPeerTimeoutMs / 2, kPeerTimeoutMs);
    Player joined{nextId_++, shortName, longName, peer};
    Writer w;
    w.U8(kWelcome);
    w.U32(joined.id);
    w.U32(localId_);
    w.U8(static_cast<uint8_t>(players_.size()));
    for (const Player& p : players_) PutPlayer(w, p);
    Send(peer, w.b);
    Writer announce;
    announce.U8(kJoined);
    PutPlayer(announce, joined);
    for (const Player& p : players_) Send(p.peer, announce.b);
    players_.push_back(joined);
    Created(joined);
  }

  static void PutPlayer(Writer& w, const Player& p) {
    w.U32(p.id);
    w.Name(p.shortName);
    w.Name(p.longName);
  }

  void Created(const Player& p) {
    NetEvent e;
    e.kind = NetEventKind::kPlayerCreated;
    e.from = p.id;
    e.shortName = p.shortName;
    e.longName = p.longName;
    Event(std::move(e));
  }

  void ClientReceive(uint8_t kind, Reader& r) {
    switch (kind) {
      case kWelcome: {
        if (inSession_) return;
        const uint32_t me = r.U32(), host = r.U32();
        const uint8_t count = r.U8();
        if (!r.ok || count > kNetMaxPlayers || r.Left() < count * kPlayerRecord)
          return Warn("A malformed welcome was dropped.");
        localId_ = me;
        hostId_ = host;
        inSession_ = true;
        for (uint8_t i = 0; i < count; ++i) AddPlayer(r);
        players_.push_back(Player{me, joinName_, joinLongName_, nullptr});
        return;
      }
      case kRefuse:
        // Before the welcome, or a host sending a player away.
        refusal_ = RefusalText(r.U8());
        return;
      case kJoined:
        if (inSession_) AddPlayer(r);
        return;
      case kLeft: {
        const uint32_t id = r.U32();
        Player* p = r.ok ? Find(id) : nullptr;
        if (p == nullptr) return;
        players_.erase(players_.begin() + (p - players_.data()));
        NetEvent e;
        e.kind = NetEventKind::kPlayerDestroyed;
        e.from = id;
        Event(std::move(e));
        return;
      }
      case kBlock: {
        const uint32_t from = r.U32();
        r.U32();
        if (!r.ok || !inSession_) return Warn("A malformed network message was dropped.");
        NetEvent e;
        e.from = from;
        e.data.assign(r.p + r.at, r.p + r.n);
        Event(std::move(e));
        return;
      }
      case kChat: {
        const uint32_t from = r.U32();
        r.U32();
        if (!r.ok || !inSession_) return Warn("A malformed chat message was dropped.");
        NetEvent e;
        e.kind = NetEventKind::kChat;
        e.from = from;
        e.text.assign(reinterpret_cast<const char*>(r.p + r.at), std::min(r.Left(), kMaxChat));
        Event(std::move(e));
        return;
      }
      default:
        Warn("A network packet of unknown kind was dropped.");
    }
  }

  void AddPlayer(Reader& r) {
    Player p;
    p.id = r.U32();
    p.shortName = r.Name();
    p.longName = r.Name();
    if (!r.ok || Find(p.id) != nullptr || players_.size() >= static_cast<size_t>(kNetMaxPlayers)) return;
    players_.push_back(p);
    Created(p);
  }

  // ---- Session search ----------------------------------------------------

  struct Found {
    NetSessionInfo info;
    std::chrono::steady_clock::time_point seen;
  };

  bool OpenProbe() {
    if (probe_ != ENET_SOCKET_NULL) return true;
    probe_ = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
    if (probe_ == ENET_SOCKET_NULL) return false;
    ENetAddress any{};
    any.host = ENET_HOST_ANY;
    any.port = 0;
    if (enet_socket_set_option(probe_, ENET_SOCKOPT_NONBLOCK, 1) != 0 ||
        enet_socket_set_option(probe_, ENET_SOCKOPT_BROADCAST, 1) != 0 || enet_socket_bind(probe_, &any) != 0) {
      StopSessionEnumeration();
      return false;
    }
    return true;
  }

  // The host answers a search on its own socket; everything else is ENet's.
  static int ENET_CALLBACK InterceptDiscovery(ENetHost* host, ENetEvent*) {
    const uint8_t* d = host->receivedData;
    if (servicing_ == nullptr || host->receivedDataLength != kEnquirySize || LoadU32(d) != kNetGameId ||
        d[4] != kDiscoverEnquiry)
      return 0;
    const std::vector<uint8_t> reply = servicing_->DiscoveryReply();
    ENetBuffer buffer{const_cast<uint8_t*>(reply.data()), reply.size()};
    enet_socket_send(host->socket, &host->receivedAddress, &buffer, 1);
    return 1;
  }

  static uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  }

  std::vector<uint8_t> DiscoveryReply() const {
    Writer w;
    w.U32(kNetGameId);
    w.U8(kDiscoverReply);
    w.Name(sessionName_);
    w.U32(instance_);
    w.U32(static_cast<uint32_t>(players_.size()));
    w.U32(kNetMaxPlayers);
    w.U8(joinDisabled_ ? 1 : 0);
    for (int32_t word : user_) w.U32(static_cast<uint32_t>(word));
    return w.b;
  }

  // Every waiting reply: a session is listed once (by its instance), with
  // the address it answered from, to join it.
  void ReadDiscoveryReplies() {
    for (int i = 0; i < kMaxRepliesPerPoll && probe_ != ENET_SOCKET_NULL; ++i) {
      uint8_t bytes[kReplySize + 1];
      ENetBuffer buffer{bytes, sizeof bytes};
      ENetAddress from{};
      const int n = enet_socket_receive(probe_, &from, &buffer, 1);
      if (n == 0) return;
      NetSessionInfo info;
      if (n < 0 || !ReadDiscoveryReply(bytes, static_cast<size_t>(n), info)) {
        Warn("A malformed reply to the session search was dropped.");
        continue;
      }
      char text[64] = {};
      enet_address_get_host_ip(&from, text, sizeof text);
      info.address = text;
      info.port = from.port;
      Found* known = nullptr;
      for (Found& f : found_)
        if (f.info.instance == info.instance && f.info.port == info.port) known = &f;
      const auto now = std::chrono::steady_clock::now();
      if (known != nullptr) {
        info.address = known->info.address;  // where it answered first: the list line stays
        *known = Found{info, now};
        continue;
      }
      std::erase_if(found_, [&](const Found& f) { return now - f.seen >= kSessionForgotten; });
      if (found_.size() >= kMaxSessions) {
        Warn("More sessions answered than the list holds; the others are left out.");
        continue;
      }
      found_.push_back(Found{info, now});
    }
  }

  static inline EnetTransport* servicing_ = nullptr;  // the transport whose host Poll services

  ENetHost* host_ = nullptr;
  ENetPeer* server_ = nullptr;  // client: the host
  ENetSocket probe_ = ENET_SOCKET_NULL;  // the session search's socket
  bool inSession_ = false;
  bool isHost_ = false;
  bool joinDisabled_ = false;
  uint32_t localId_ = 0, hostId_ = 0, nextId_ = kFirstClientId;
  uint32_t instance_ = 0;
  uint32_t joinVersion_ = 0;
  std::string sessionName_, joinName_, joinLongName_, refusal_;
  int32_t user_[4] = {};
  struct Waiting {
    ENetPeer* peer;
    std::chrono::steady_clock::time_point since;
  };
  std::vector<Player> players_;
  // Client: when the last pump ran, and the last stall (see NoteStall).
  std::chrono::steady_clock::time_point lastPump_{}, stallEnded_{};
  std::chrono::steady_clock::duration stalledFor_{};
  std::vector<Waiting> withoutHello_;  // host: connected, no Hello yet, oldest first
  std::vector<Found> found_;
  std::vector<NetEvent> events_;
};

}  // namespace

std::unique_ptr<NetTransport> CreateEnetTransport() { return std::make_unique<EnetTransport>(); }

void InstallEnetTransport() { SetNetTransportFactory(CreateEnetTransport); }

std::vector<std::string> SessionSearchTargets(const std::string& address) {
  std::vector<std::string> listed;
  for (uint32_t host : SearchTargets(address)) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr a{};
    a.s_addr = host;
    inet_ntop(AF_INET, &a, text, sizeof text);
    listed.emplace_back(text);
  }
  return listed;
}

}  // namespace platform
