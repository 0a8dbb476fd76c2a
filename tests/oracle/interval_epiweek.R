#!/usr/bin/Rscript
# Writes interval_epiweek.csv: the Sunday-based week-year and week of dates
# from R's lubridate (epiyear, epiweek: weeks from Sunday to Saturday, week 1
# being the week that holds 4 January), an implementation independent of
# ours; day of week from lubridate's wday (1 = Sunday).
#
# Each row: day (days since 1960-01-01), year, week, wday.  Dates: random
# days from 1600 to 2400, plus days around the turn of a number of years,
# where weeks 52, 53 and 1 meet.
#
# Run:
#     Rscript tests/oracle/interval_epiweek.R
suppressPackageStartupMessages(library(lubridate))

set.seed(4011)
day_zero <- as.Date("1960-01-01")
low <- as.numeric(as.Date("1600-01-01") - day_zero)
high <- as.numeric(as.Date("2400-12-31") - day_zero)
days <- sample(low:high, 3000)
turns <- as.numeric(as.Date(sprintf("%d-01-01", sample(1601:2399, 400))) - day_zero)
days <- c(days, turns + sample(-8:8, 400, replace = TRUE))
dates <- day_zero + days

out <- data.frame(day = days, year = epiyear(dates), week = epiweek(dates), wday = wday(dates))
args <- commandArgs(trailingOnly = FALSE)
script <- sub("^--file=", "", args[grep("^--file=", args)])
path <- file.path(dirname(normalizePath(script)), "interval_epiweek.csv")
write.csv(out, path, row.names = FALSE, quote = FALSE)
