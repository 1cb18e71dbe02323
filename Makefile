# make run   - install what is missing, build, start the program
# make test  - install what is missing, build, run every test
# make check - build, run the unit and widget tests (the everyday loop, under 30 s)
# make build - configure and build in build/
# make package - build the Debian package build/merow-hopsmeld-helper_<version>_<arch>.deb
# make clean - remove build/

BUILD_DIR := build
PROGRAM := $(BUILD_DIR)/bin/merow-hopsmeld-helper

# Debian packages: what building needs, what the program needs at run time, and what the
# tests start for themselves (a private X server, window manager, sound server, recorder).
BUILD_PACKAGES := cmake make g++ pkg-config qt6-base-dev libpulse-dev libsndfile1-dev
RUN_PACKAGES := libpulse0 libsndfile1 qt6-qpa-plugins fonts-liberation2
# Qt's Wayland platform plugin, for `make run` in a Wayland session.
RUN_PACKAGES += qt6-wayland
TEST_PACKAGES := xvfb openbox trayer x11-utils xdotool pulseaudio pulseaudio-utils locales python3 \
	python3-pil librsvg2-bin at-spi2-core python3-pyatspi dbus procps xfce4-panel lxqt-panel imagemagick devscripts \
	xclip libglib2.0-bin \
	clang-14 libclang-rt-14-dev
# What packing needs (dpkg-shlibdeps, file), and what the install and package tests check with.
PACKAGE_PACKAGES := dpkg-dev file
TEST_PACKAGES += $(PACKAGE_PACKAGES) lintian desktop-file-utils appstream binutils-mingw-w64-x86-64
# A dark desktop theme for the label contrast test: GTK's Adwaita through Qt's GTK platform theme.
TEST_PACKAGES += qt6-gtk-platformtheme

.PHONY: run test check build clean deps test-deps screenshots package package-deps

run: deps build
	$(PROGRAM)

test: deps test-deps build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel 2

check: build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel 2 -L 'unit|widget'

build:
	cmake -S . -B $(BUILD_DIR)
	cmake --build $(BUILD_DIR) -j$$(nproc)

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
