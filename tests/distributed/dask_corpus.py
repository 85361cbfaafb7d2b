"""A JSON Lines corpus converted on a Dask cluster: the recipe of docs/batch.md, as a module the
workers import (plus a gate the tests use to stop the job at a known point)."""
import itertools
import os

import dask.bag as db
import distributed

import richmarkup


def read_corpus(path, blocksize):
    # Split at "\n" only, as the tool does; undecodable bytes kept, so that such a line gets its
    # error line rather than failing its whole partition.
    return db.read_text(path, blocksize=blocksize, linedelimiter="\n", errors="surrogateescape")


def line_counts(part):
    return [sum(1 for _ in part)]


def convert_partition(part, start, name):
    """One partition to one block of model lines, each ended by a line break."""
    (first_line,) = start
    lines = (line.encode("utf-8", "surrogateescape") for line in part)
    models = richmarkup.convert_lines(lines, to="json", name=name, first_line=first_line)
    return ["".join(model + "\n" for model in models)]


def convert_corpus(client, path, out_dir, blocksize, name, convert=convert_partition, timeout=None):
    """Futures of the writes of out_dir/00000.jsonl, ..., one a partition, in the corpus's order."""
    lines = read_corpus(path, blocksize)
    # Each partition's first line number, so that messages name the lines of the whole corpus.
    counts = client.compute(lines.map_partitions(line_counts)).result(timeout)
    starts = db.from_sequence(itertools.accumulate([1] + counts[:-1]), partition_size=1)
    models = lines.map_partitions(convert, starts, name=name)
    return client.compute(models.to_textfiles(os.path.join(out_dir, "*.jsonl"), name_function="{:05d}".format,
                                              compute=False))


_started = itertools.count()


def gated_partition(part, start, name, gate, free, timeout):
    """convert_partition, but a worker's partitions after its first `free` wait for the event
    `gate`; a worker that stops there says so in the queue `gate`."""
    if next(_started) >= free:
        event = distributed.Event(gate)
        if not event.is_set():
            distributed.Queue(gate).put(distributed.get_worker().address)
            event.wait(timeout)
    return convert_partition(part, start, name)
