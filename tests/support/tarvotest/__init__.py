"""The test harness shared by the end-to-end tests and the developer scripts: running the
demo headless or under Xvfb, replay files, and the monkey."""
