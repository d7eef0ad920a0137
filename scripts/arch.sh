#!/usr/bin/env bash
# Prints the Windows architecture whose programs this machine can run under Wine:
# i686 (the product) where 32-bit code can execute, x86_64 where the kernel runs
# 64-bit user code only (wine32 cannot start there).
if [ -n "${TVR_ARCH:-}" ]; then echo "$TVR_ARCH"; exit 0; fi
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo i686
else
  echo x86_64
fi
