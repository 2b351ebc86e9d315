# What the smoke test's awk programs share: sorting and the median. POSIX
# awk has no include: each program is run with this file first.

# Sorts list[1..n] in place (insertion sort: a few dozen values).
function sort_values(list, n, i, j, value) {
  for (i = 2; i <= n; i++) {
    value = list[i]
    for (j = i - 1; j >= 1 && list[j] > value; j--) list[j + 1] = list[j]
    list[j + 1] = value
  }
}

# The median of list[1..n], which stays as it was.
function median(list, n, copy, i) {
  for (i = 1; i <= n; i++) copy[i] = list[i]
  sort_values(copy, n)
  if (n % 2) return copy[(n + 1) / 2]
  return (copy[n / 2] + copy[n / 2 + 1]) / 2
}
