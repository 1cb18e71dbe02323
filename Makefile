# make run   - install what is missing, build the program, start it
# make test  - install what is missing, build the program and the tests, run every test
# make check - build the program and the tests, run the unit and widget tests (under 30 s)
# make build - build the program in build/ (configured there the first time)
# make package - build the Debian package build/merow-hopsmeld-helper_<version>_<arch>.deb
# make clean - remove build/

BUILD_DIR := build
PROGRAM := $(BUILD_DIR)/bin/merow-hopsmeld-helper

# Debian packages: what building needs, what the program needs at run time, and what the
# tests start for themselves (a private X server, window manager, sound server, recorder).
BUILD_PACKAGES := cmake make ninja-build g++ pkg-config qt6-base-dev libpulse-dev libsndfile1-dev
# The X server's selection events, to know when an XEmbed tray comes and goes.
BUILD_PACKAGES += libxcb1-dev libxcb-xfixes0-dev
# Qt's Linguist tools (lupdate, lrelease) and their CMake functions, for the translations.
BUILD_PACKAGES += qt6-l10n-tools qt6-tools-dev
RUN_PACKAGES := libpulse0 libsndfile1 qt6-qpa-plugins fonts-liberation2
# Qt's own texts (context menus, message box buttons) in the window's language.
RUN_PACKAGES += qt6-translations-l10n
# Qt's Wayland platform plugin, for `make run` in a Wayland session.
RUN_PACKAGES += qt6-wayland
TEST_PACKAGES := xvfb openbox trayer x11-utils xdotool pulseaudio pulseaudio-utils locales python3 \
	python3-pil librsvg2-bin at-spi2-core python3-pyatspi dbus procps xfce4-panel lxqt-panel imagemagick devscripts \
	xclip libglib2.0-bin \
	clang-14 libclang-rt-14-dev
# What packing needs (dpkg-shlibdeps, file), and what the install and package tests check with.
PACKAGE_PACKAGES := dpkg-dev file
TEST_PACKAGES += $(PACKAGE_PACKAGES) lintian desktop-file-utils appstream
# A dark desktop theme for the label contrast test: GTK's Adwaita through Qt's GTK platform theme.
TEST_PACKAGES += qt6-gtk-platformtheme
# Wayland for the end-to-end program test: headless sway, waybar's tray, keys and the clipboard.
TEST_PACKAGES += sway waybar wtype wl-clipboard
# A StatusNotifierWatcher whose host leaves, written with GLib's D-Bus (tests/e2e/hosts).
TEST_PACKAGES += python3-gi
# GNOME Shell with the AppIndicator extension, a tray host of the end-to-end tray test.
TEST_PACKAGES += gnome-shell mutter gnome-shell-extension-appindicator

.PHONY: run test check build test-programs clean deps test-deps screenshots package package-deps

run: deps build
	$(PROGRAM)

test: deps test-deps test-programs
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel 2

check: test-programs
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel 2 -L 'unit|widget'

# Configured once: afterwards the build itself configures again when a CMakeLists.txt changes.
# Ninja, where there is one, as it finds nothing to do in a few milliseconds.
$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) $$(command -v ninja >/dev/null && echo -G Ninja)

build: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j$$(nproc)

# The tests are no part of the program's build.
test-programs: build
	cmake --build $(BUILD_DIR) -j$$(nproc) --target test_programs

package: deps package-deps build
	cd $(BUILD_DIR) && cpack -G DEB

screenshots: deps test-deps build
	@./packaging/install-packages.sh imagemagick
	./packaging/make-screenshots.sh $(PROGRAM)

clean:
	rm -rf $(BUILD_DIR)

deps:
	@./packaging/install-packages.sh $(BUILD_PACKAGES) $(RUN_PACKAGES)

test-deps:
	@./packaging/install-packages.sh $(TEST_PACKAGES)

package-deps:
	@./packaging/install-packages.sh $(PACKAGE_PACKAGES)
