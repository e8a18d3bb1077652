// make_track_log: writes a realistic GPS track log to standard output.
//
//   make_track_log [--blocks N | --bytes SIZE] [--seed S] [--lf] > file
//
// The log is a sequence of fix blocks as a Korvex logger writes them: for
// each fix a $GPGGA, a $GPGSA, one or two $GPGSV and a $GPRMC sentence, then
// the line $PGRMM,Tokyo*2F. Every sentence carries its NMEA checksum (the
// XOR of the bytes between '$' and '*', two upper-case hex digits). Lines end
// with CR LF; --lf ends them with LF alone.
//
// The track is a trip around Tokyo: walking, town driving with stops, open
// road, standing still (speed 000.0), turns and pauses of the logger. A small
// share of the fixes is bad, as real receivers produce them: runs without
// reception (status V, empty position, speed and course) and single wild
// jumps (a far-off position at 150 to 400 knots).
//
// --blocks N writes N blocks (300 when neither option is given); --bytes
// SIZE writes whole blocks until the output reaches SIZE bytes (suffix K, M
// or G: powers of 1024). --seed S (default 1) picks the trip.
//
// The output depends on the arguments only: the one source of chance is a
// splitmix64 sequence, all arithmetic is on integers and every number is
// formatted by hand, so every machine and C library writes the same bytes.
//
// The bundled sample samples/track.log was made with:
//   make_track_log --blocks 300 --seed 48 > samples/track.log

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// ---------------------------------------------------------------- chance

// splitmix64: small, fast and defined bit for bit.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }

  // A whole number from lo to hi, both included.
  int64_t Between(int64_t lo, int64_t hi) {
    return lo + static_cast<int64_t>(Next() % static_cast<uint64_t>(hi - lo + 1));
  }

  // True with a chance of per_mille in a thousand.
  bool Chance(int per_mille) { return static_cast<int>(Next() % 1000) < per_mille; }

 private:
  uint64_t state_;
};

// ---------------------------------------------------------------- angles

// Sine of an angle given in tenths of a degree, in millionths. Bhaskara I's
// rational approximation: within 0.2 % of the true value, which is plenty for
// steering a made-up track, and exact integer arithmetic.
int64_t SineMillionths(int64_t tenths) {
  tenths %= 3600;
  if (tenths < 0) tenths += 3600;
  int64_t sign = 1;
  if (tenths >= 1800) {
    tenths -= 1800;
    sign = -1;
  }
  const int64_t p = tenths * (1800 - tenths);
  return sign * ((4 * p * 1000000) / (4050000 - p));
}

int64_t CosineMillionths(int64_t tenths) { return SineMillionths(tenths + 900); }

int64_t Wrap3600(int64_t tenths) {
  tenths %= 3600;
  return tenths < 0 ? tenths + 3600 : tenths;
}

// ---------------------------------------------------------------- text

void AppendNumber(std::string& out, uint64_t value, int width) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int i = n; i < width; ++i) out += '0';
  while (n > 0) out += digits[--n];
}

// A value in tenths as "III.T", the whole part zero-padded to int_width.
void AppendTenths(std::string& out, int64_t tenths, int int_width) {
  if (tenths < 0) {
    out += '-';
    tenths = -tenths;
  }
  AppendNumber(out, static_cast<uint64_t>(tenths / 10), int_width);
  out += '.';
  out += static_cast<char>('0' + tenths % 10);
}

// An angle in millionths of an arc minute as NMEA writes it: degrees
// (deg_width digits), minutes with three decimals, comma, hemisphere letter.
void AppendCoordinate(std::string& out, int64_t micro_minutes, int deg_width,
                      char positive, char negative) {
  const char hemisphere = micro_minutes < 0 ? negative : positive;
  const int64_t milli = ((micro_minutes < 0 ? -micro_minutes : micro_minutes) + 500) / 1000;
  AppendNumber(out, static_cast<uint64_t>(milli / 60000), deg_width);
  AppendNumber(out, static_cast<uint64_t>(milli % 60000 / 1000), 2);
  out += '.';
  AppendNumber(out, static_cast<uint64_t>(milli % 1000), 3);
  out += ',';
  out += hemisphere;
}

// Writes "$" body "*" checksum and the line end.
void AppendSentence(std::string& out, std::string_view body, std::string_view eol) {
  unsigned sum = 0;
  for (const char c : body) sum ^= static_cast<unsigned char>(c);
  static const char kHex[] = "0123456789ABCDEF";
  out += '$';
  out += body;
  out += '*';
  out += kHex[sum >> 4];
  out += kHex[sum & 15];
  out += eol;
}

// ---------------------------------------------------------------- clock

// UTC date and time of the fixes.
class Clock {
 public:
  Clock(int year, int month, int day, int64_t second)
      : year_(year), month_(month), day_(day), second_(second) {}

  void Advance(int64_t seconds) {
    second_ += seconds;
    while (second_ >= 86400) {
      second_ -= 86400;
      if (++day_ > DaysInMonth()) {
        day_ = 1;
        if (++month_ > 12) {
          month_ = 1;
          ++year_;
        }
      }
    }
  }

  void AppendTime(std::string& out) const {  // hhmmss
    AppendNumber(out, static_cast<uint64_t>(second_ / 3600), 2);
    AppendNumber(out, static_cast<uint64_t>(second_ / 60 % 60), 2);
    AppendNumber(out, static_cast<uint64_t>(second_ % 60), 2);
  }

  void AppendDate(std::string& out) const {  // ddmmyy
    AppendNumber(out, static_cast<uint64_t>(day_), 2);
    AppendNumber(out, static_cast<uint64_t>(month_), 2);
    AppendNumber(out, static_cast<uint64_t>(year_ % 100), 2);
  }

 private:
  int DaysInMonth() const {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year_ % 4 == 0 && year_ % 100 != 0) || year_ % 400 == 0;
    return month_ == 2 && leap ? 29 : kDays[month_ - 1];
  }

  int year_;
  int month_;
  int day_;
  int64_t second_;  // of the day
};

// ---------------------------------------------------------------- sky

// The satellites the receiver sees; they creep across the sky.
class Sky {
 public:
  explicit Sky(Random& random) : random_(random) {
    int next_prn = static_cast<int>(random_.Between(1, 4));
    for (Satellite& s : sats_) {
      s.prn = next_prn;
      next_prn += static_cast<int>(random_.Between(1, 3));
      s.elevation = static_cast<int>(random_.Between(8, 85));
      s.azimuth = static_cast<int>(random_.Between(0, 359));
    }
    in_view_ = static_cast<int>(random_.Between(5, 8));
  }

  void Step() {
    for (Satellite& s : sats_) {
      if (random_.Chance(30)) s.elevation += random_.Chance(500) ? 1 : -1;
      if (s.elevation < 5) s.elevation = 5;
      if (s.elevation > 89) s.elevation = 89;
      if (random_.Chance(30)) s.azimuth = (s.azimuth + 1) % 360;
    }
    if (random_.Chance(20)) {
      in_view_ += random_.Chance(500) ? 1 : -1;
      if (in_view_ < 4) in_view_ = 4;
      if (in_view_ > kMax) in_view_ = kMax;
    }
    hdop_ = random_.Between(8, 22);
  }

  // $GPGSA: the satellites used, twelve slots, and the dilutions.
  void AppendGsa(std::string& out, std::string_view eol, bool fixed) {
    std::string body = fixed ? "GPGSA,A,3" : "GPGSA,A,1";
    for (int i = 0; i < 12; ++i) {
      body += ',';
      if (fixed && i < in_view_) AppendNumber(body, static_cast<uint64_t>(sats_[i].prn), 2);
    }
    if (fixed) {
      body += ',';
      AppendTenths(body, hdop_ + random_.Between(4, 12), 1);
      body += ',';
      AppendTenths(body, hdop_, 1);
      body += ',';
      AppendTenths(body, random_.Between(7, 20), 1);
    } else {
      body += ",,,";
    }
    AppendSentence(out, body, eol);
  }

  // $GPGSV: four satellites a sentence; signal strength only with reception.
  void AppendGsv(std::string& out, std::string_view eol, bool fixed) {
    const int sentences = (in_view_ + 3) / 4;
    for (int k = 0; k < sentences; ++k) {
      std::string body = "GPGSV,";
      AppendNumber(body, static_cast<uint64_t>(sentences), 1);
      body += ',';
      AppendNumber(body, static_cast<uint64_t>(k + 1), 1);
      body += ',';
      AppendNumber(body, static_cast<uint64_t>(in_view_), 2);
      for (int i = 4 * k; i < in_view_ && i < 4 * k + 4; ++i) {
        const Satellite& s = sats_[i];
        body += ',';
        AppendNumber(body, static_cast<uint64_t>(s.prn), 2);
        body += ',';
        AppendNumber(body, static_cast<uint64_t>(s.elevation), 2);
        body += ',';
        AppendNumber(body, static_cast<uint64_t>(s.azimuth), 3);
        body += ',';
        if (fixed) AppendNumber(body, static_cast<uint64_t>(25 + s.elevation / 4 + random_.Between(0, 9)), 2);
      }
      AppendSentence(out, body, eol);
    }
  }

  int in_view() const { return in_view_; }
  int64_t hdop() const { return hdop_; }  // tenths

 private:
  static constexpr int kMax = 8;
  struct Satellite {
    int prn = 0;
    int elevation = 0;
    int azimuth = 0;
  };
  Random& random_;
  Satellite sats_[kMax];
  int in_view_ = 0;
  int64_t hdop_ = 10;
};

// ---------------------------------------------------------------- track

// What the receiver reports for one fix.
struct Fix {
  bool valid = true;
  int64_t lat = 0;     // millionths of an arc minute, north positive
  int64_t lon = 0;     // millionths of an arc minute, east positive
  int64_t speed = 0;   // tenths of a knot
  int64_t course = 0;  // tenths of a degree
};

// The true movement of the traveller, and the receiver's view of it.
class Track {
 public:
  explicit Track(Random& random) : random_(random) {
    home_lat_ = (35 * 60 + 40) * kMicro + random_.Between(-20 * kMicro, 20 * kMicro);
    home_lon_ = (139 * 60 + 45) * kMicro + random_.Between(-20 * kMicro, 20 * kMicro);
    lat_ = home_lat_;
    lon_ = home_lon_;
    course_ = random_.Between(0, 3599);
    altitude_ = random_.Between(20, 600);
    outage_ = random_.Between(0, 3);  // the receiver starts without a fix
    StartPace(Pace::kStopped);
  }

  // Moves the traveller on by the given seconds.
  void Move(int64_t seconds) {
    if (--pace_left_ <= 0) NextPace();
    if (pace_ != Pace::kStopped && random_.Chance(80)) PickTarget();
    Accelerate();
    Steer();
    // A knot is an arc minute of latitude an hour.
    const int64_t distance = speed_ * seconds * 1000 / 36;  // micro arc minutes
    lat_ += distance * CosineMillionths(course_) / 1000000;
    const int64_t lat_tenths_of_degree = lat_ / (6 * kMicro);
    lon_ += distance * SineMillionths(course_) / CosineMillionths(lat_tenths_of_degree);
    altitude_ += random_.Between(-3, 3);
    if (altitude_ < 0) altitude_ = 0;
  }

  // The receiver's report of the current position.
  Fix Report() {
    Fix fix;
    if (outage_ == 0 && random_.Chance(6)) outage_ = random_.Between(1, 12);
    if (outage_ > 0) {
      --outage_;
      fix.valid = false;
      return fix;
    }
    fix.lat = lat_;
    fix.lon = lon_;
    fix.course = course_;
    if (random_.Chance(8)) {  // a wild jump: multipath or a bad solution
      fix.lat += random_.Between(-3000, 3000) * 1000;
      fix.lon += random_.Between(-3000, 3000) * 1000;
      fix.speed = random_.Between(1500, 3999);
      fix.course = random_.Between(0, 3599);
      return fix;
    }
    if (speed_ == 0) {
      fix.speed = random_.Chance(200) ? random_.Between(1, 3) : 0;
    } else {
      fix.speed = speed_ + random_.Between(-2, 2);
      if (fix.speed < 0) fix.speed = 0;
    }
    return fix;
  }

  int64_t altitude() const { return altitude_; }  // decimetres

 private:
  static constexpr int64_t kMicro = 1000000;
  enum class Pace { kStopped, kWalking, kTown, kRoad };

  void StartPace(Pace pace) {
    pace_ = pace;
    switch (pace) {
      case Pace::kStopped: pace_left_ = random_.Between(3, 40); break;
      case Pace::kWalking: pace_left_ = random_.Between(40, 300); break;
      case Pace::kTown: pace_left_ = random_.Between(20, 150); break;
      case Pace::kRoad: pace_left_ = random_.Between(50, 400); break;
    }
    PickTarget();
  }

  void NextPace() {
    const int64_t roll = random_.Between(0, 99);
    switch (pace_) {
      case Pace::kStopped:
        StartPace(roll < 30 ? Pace::kWalking : roll < 80 ? Pace::kTown : Pace::kRoad);
        break;
      case Pace::kWalking: StartPace(Pace::kStopped); break;
      case Pace::kTown:
        StartPace(roll < 50 ? Pace::kStopped : roll < 80 ? Pace::kRoad : Pace::kTown);
        break;
      case Pace::kRoad:
        StartPace(roll < 60 ? Pace::kTown : roll < 70 ? Pace::kStopped : Pace::kRoad);
        break;
    }
  }

  void PickTarget() {
    switch (pace_) {
      case Pace::kStopped: target_ = 0; break;
      case Pace::kWalking: target_ = random_.Between(15, 40); break;
      case Pace::kTown: target_ = random_.Between(100, 320); break;
      case Pace::kRoad: target_ = random_.Between(350, 620); break;
    }
  }

  // Speeds up or slows down towards the target, braking harder than it
  // accelerates, with a little unsteadiness on the way. Pulling away, the
  // speed about triples from one fix to the next, as it does at the lights.
  void Accelerate() {
    const int64_t gain = pace_ == Pace::kWalking ? 4 : pace_ == Pace::kRoad ? 20 : 25;
    const int64_t up = speed_ < gain ? speed_ + gain / 2 : gain;
    int64_t change = target_ - speed_;
    if (change > up) change = up;
    if (change < -2 * gain) change = -2 * gain;
    speed_ += change;
    if (target_ == 0) {
      if (speed_ < 0) speed_ = 0;
      return;
    }
    speed_ += random_.Between(-gain / 5, gain / 5);
    if (speed_ < 1) speed_ = 1;
  }

  // Wanders a little, turns corners now and then, and heads home when the
  // trip has strayed too far.
  void Steer() {
    if (speed_ == 0) return;
    if (turn_left_ > 0) {
      --turn_left_;
      course_ = Wrap3600(course_ + turn_rate_);
      return;
    }
    course_ = Wrap3600(course_ + random_.Between(-30, 30));
    const int64_t north = home_lat_ - lat_;
    const int64_t east = home_lon_ - lon_;
    const int64_t far = 90 * kMicro;  // a degree and a half
    if ((north > far || north < -far || east > far || east < -far) && random_.Chance(50)) {
      course_ = Wrap3600(Bearing(north, east) + random_.Between(-200, 200));
    } else if (random_.Chance(pace_ == Pace::kRoad ? 8 : 30)) {
      turn_left_ = random_.Between(2, 5);
      turn_rate_ = random_.Between(150, 450);
      if (random_.Chance(500)) turn_rate_ = -turn_rate_;
    }
  }

  // The rough compass bearing, in tenths of a degree, of a displacement.
  static int64_t Bearing(int64_t north, int64_t east) {
    const int64_t an = north < 0 ? -north : north;
    const int64_t ae = east < 0 ? -east : east;
    int64_t bearing;
    if (an > 2 * ae) bearing = north > 0 ? 0 : 1800;
    else if (ae > 2 * an) bearing = east > 0 ? 900 : 2700;
    else if (north > 0) bearing = east > 0 ? 450 : 3150;
    else bearing = east > 0 ? 1350 : 2250;
    return bearing;
  }

  Random& random_;
  int64_t home_lat_ = 0;
  int64_t home_lon_ = 0;
  int64_t lat_ = 0;
  int64_t lon_ = 0;
  int64_t course_ = 0;
  int64_t speed_ = 0;   // tenths of a knot
  int64_t target_ = 0;  // tenths of a knot
  int64_t altitude_ = 0;
  int64_t outage_ = 0;  // fixes left without reception
  Pace pace_ = Pace::kStopped;
  int64_t pace_left_ = 0;
  int64_t turn_left_ = 0;
  int64_t turn_rate_ = 0;
};

// ---------------------------------------------------------------- log

class LogWriter {
 public:
  LogWriter(uint64_t seed, bool lf_only)
      : random_(seed),
        eol_(lf_only ? "\n" : "\r\n"),
        clock_(StartClock(random_)),
        sky_(random_),
        track_(random_) {}

  // The first fix's date and time. Drawn one by one: the order in which a
  // call's arguments are evaluated is the compiler's choice.
  static Clock StartClock(Random& random) {
    const int year = static_cast<int>(random.Between(2003, 2008));
    const int month = static_cast<int>(random.Between(1, 12));
    const int day = static_cast<int>(random.Between(1, 28));
    return Clock(year, month, day, random.Between(0, 86399));
  }

  // Appends the next fix block to out.
  void AppendBlock(std::string& out) {
    int64_t seconds = 2;
    if (random_.Chance(10)) seconds = random_.Between(10, 600);  // logger paused
    clock_.Advance(seconds);
    sky_.Step();
    track_.Move(seconds);
    const Fix fix = track_.Report();

    std::string body = "GPGGA,";
    clock_.AppendTime(body);
    if (fix.valid) {
      body += ',';
      AppendCoordinate(body, fix.lat, 2, 'N', 'S');
      body += ',';
      AppendCoordinate(body, fix.lon, 3, 'E', 'W');
      body += random_.Chance(100) ? ",2," : ",1,";
      AppendNumber(body, static_cast<uint64_t>(sky_.in_view()), 2);
      body += ',';
      AppendTenths(body, sky_.hdop(), 1);
      body += ',';
      AppendTenths(body, track_.altitude(), 1);
      body += ",M,36.7,M,,";
    } else {
      body += ",,,,,0,00,,,M,,M,,";
    }
    AppendSentence(out, body, eol_);

    sky_.AppendGsa(out, eol_, fix.valid);
    sky_.AppendGsv(out, eol_, fix.valid);

    body = "GPRMC,";
    clock_.AppendTime(body);
    if (fix.valid) {
      body += ",A,";
      AppendCoordinate(body, fix.lat, 2, 'N', 'S');
      body += ',';
      AppendCoordinate(body, fix.lon, 3, 'E', 'W');
      body += ',';
      AppendTenths(body, fix.speed, 3);
      body += ',';
      AppendTenths(body, fix.course, 3);
      body += ',';
      clock_.AppendDate(body);
      body += ",007.3,W";
    } else {
      body += ",V,,,,,,,";
      clock_.AppendDate(body);
      body += ",,";
    }
    AppendSentence(out, body, eol_);

    AppendSentence(out, "PGRMM,Tokyo", eol_);
  }

 private:
  Random random_;
  std::string_view eol_;
  Clock clock_;
  Sky sky_;
  Track track_;
};

// ---------------------------------------------------------------- main

int Usage() {
  std::fputs("usage: make_track_log [--blocks N | --bytes SIZE[K|M|G]] [--seed S] [--lf] > file\n",
             stderr);
  return 2;
}

// A whole decimal number with an optional K, M or G (powers of 1024).
bool ParseCount(const char* text, bool allow_suffix, uint64_t& value) {
  value = 0;
  const char* p = text;
  if (*p < '0' || *p > '9') return false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    const uint64_t digit = static_cast<uint64_t>(*p - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  if (*p == '\0') return true;
  if (!allow_suffix || p[1] != '\0') return false;
  int shift = 0;
  switch (*p) {
    case 'K': case 'k': shift = 10; break;
    case 'M': case 'm': shift = 20; break;
    case 'G': case 'g': shift = 30; break;
    default: return false;
  }
  if (value > (UINT64_MAX >> shift)) return false;
  value <<= shift;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t blocks = 300;
  uint64_t bytes = 0;
  bool by_size = false;
  bool by_count = false;
  uint64_t seed = 1;
  bool lf_only = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--blocks" && has_value) {
      if (!ParseCount(argv[++i], false, blocks)) return Usage();
      by_count = true;
    } else if (arg == "--bytes" && has_value) {
      if (!ParseCount(argv[++i], true, bytes)) return Usage();
      by_size = true;
    } else if (arg == "--seed" && has_value) {
      if (!ParseCount(argv[++i], false, seed)) return Usage();
    } else if (arg == "--lf") {
      lf_only = true;
    } else {
      return Usage();
    }
  }
  if (by_size && by_count) return Usage();

  LogWriter writer(seed, lf_only);
  std::string out;
  out.reserve(1 << 21);
  uint64_t written = 0;
  uint64_t made = 0;
  for (;;) {
    if (by_size ? written + out.size() >= bytes : made >= blocks) break;
    writer.AppendBlock(out);
    ++made;
    if (out.size() >= (1 << 20)) {
      if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size()) break;
      written += out.size();
      out.clear();
    }
  }
  if (!out.empty()) std::fwrite(out.data(), 1, out.size(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::perror("make_track_log: write");
    return 1;
  }
  return 0;
}
