# Sourced by the measuring scripts: spread reads one number a line and
# prints "MEDIAN LOWEST HIGHEST COUNT" (the median of an even count is the
# mean of the middle two).
spread() {
  sort -g | awk '{ a[NR] = $1 } END {
    print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2, a[1], a[NR], NR }'
}
