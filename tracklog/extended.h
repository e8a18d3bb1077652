// PROVISIONAL: replaced by the software 64-bit-significand arithmetic.
#ifndef TRACKSIFT_TRACKLOG_EXTENDED_H_
#define TRACKSIFT_TRACKLOG_EXTENDED_H_

namespace tracksift {

class Extended {
 public:
  Extended() = default;
  static Extended FromDouble(double value) { return Extended(value); }
  friend Extended operator/(Extended a, Extended b) { return Extended(a.v_ / b.v_); }
  friend bool operator>=(Extended a, Extended b) { return a.v_ >= b.v_; }
  long double v_ = 0;

 private:
  explicit Extended(long double v) : v_(v) {}
  friend class ExtendedStubAccess;
};

// Rounds to the nearest double; EOverflow beyond the largest double.
double ToDouble(Extended value);

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_EXTENDED_H_
