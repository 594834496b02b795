// Sine and cosine of the view's own, giving the same IEEE doubles in every
// build. The C libraries differ in the last bits (glibc on Linux; MinGW's
// x87 fsincos on 32-bit Windows), so the view turned by the same angles
// would drift apart between builds; these use only double +, -, * and /
// (exactly rounded under SSE2 with no contraction) and integer steps.
//
// Both stay within 1 ulp of the true value for every finite argument.
// |x| <= pi/4 goes straight to the polynomials; |x| < 2^20 * pi/2 is
// reduced by a three-stage Cody-Waite subtraction of multiples of pi/2;
// larger finite arguments take a slower exact reduction against 1184 bits
// of 2/pi, so they keep full accuracy. Infinities and NaN give NaN, as the
// library does. Sine is odd and Cosine even bit for bit: Sine(-0) is -0.
#ifndef VELMORA_MATH_TRIG_H
#define VELMORA_MATH_TRIG_H

double Sine(double x);
double Cosine(double x);

#endif
