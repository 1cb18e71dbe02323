#!/usr/bin/env bash
# The built program carries the usual hardening: PIE, full RELRO (read-only relocations and
# immediate binding), a stack protector and fortified libc calls. Control-flow marking is left
# out: Debian 12's own start-up objects lack it, so no program here can show it.
set -u
program=$1
hardening-check --nocfprotection "$program"
