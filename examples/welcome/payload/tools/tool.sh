#!/bin/sh
echo "example tool"
