#!/usr/bin/env bash
# Installs what the project needs on a Debian 12 machine (as root, or through sudo) when it is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev pkg-config dpkg-dev file
  libicu-dev libsqlite3-dev libboost-dev nlohmann-json3-dev libssl-dev libgdal-dev libfast-float-dev
  libsimdjson-dev libcurl4-openssl-dev libcpp-httplib-dev
  libgtest-dev libbenchmark-dev
  python3-dev pybind11-dev python3-pybind11 python3-pytest
  locales
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
