#!/bin/sh
echo "Hello from the Wizpak demo."
